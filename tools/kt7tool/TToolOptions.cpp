#include "tools/kt7tool/TToolOptions.h"

#include "tools/kt7tool/TToolError.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

long number(const std::string& option, const std::string& text, long min, long max)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < min || value > max)
        throw TToolError(option + ": expected a number from " + std::to_string(min) + " to " + std::to_string(max)
                             + ", got '" + text + "'",
                         TToolError::Usage);
    return value;
}

// An option: its spellings (the long name last), the label and text of
// its help, and what it sets. An option without a setter only explains the
// command line in the help ("--", "-").
struct Option {
    std::vector<std::string> spellings;
    const char* label;
    const char* text;
    void (*set)(TToolOptions&, const std::string& value) = nullptr;
    bool hasValue = false;

    const std::string& name() const { return spellings.back(); }
};

// Every option, in the order the help lists them.
const std::vector<Option>& optionTable()
{
    static const std::vector<Option> options = {
        {{"--com"},
         "--com N",
         "the port the window calls COM N",
         [](TToolOptions& o, const std::string& v) { o.com = static_cast<int>(number("--com", v, 1, 255)); },
         true},
        {{"--device"},
         "--device PATH",
         "the serial device itself",
         [](TToolOptions& o, const std::string& v) { o.device = v; },
         true},
        {{"--baud"},
         "--baud N",
         "line speed (default 9600)",
         [](TToolOptions& o, const std::string& v) {
             o.baud = static_cast<unsigned>(number("--baud", v, 50, 4000000));
         },
         true},
        {{"--timeout"},
         "--timeout MS",
         "time to wait for each reply (default 500); a block whose\n"
         "reply is late or damaged is asked for twice more",
         [](TToolOptions& o, const std::string& v) {
             o.timeoutMs = static_cast<int>(number("--timeout", v, 1, 600000));
         },
         true},
        {{"-q", "--quiet"},
         "-q, --quiet",
         "no progress bar on standard error, no notes after a write",
         [](TToolOptions& o, const std::string&) { o.quiet = true; }},
        {{"-v", "--verbose"},
         "-v, --verbose",
         "the controller's identification, the backup's path, the\n"
         "blocks asked for again and the time of each transfer",
         [](TToolOptions& o, const std::string&) { ++o.verbose; }},
        {{"-vv"},
         "-vv",
         "also every frame, as the window's traffic log shows it",
         [](TToolOptions& o, const std::string&) { o.verbose += 2; }},
        {{"--progress"},
         "--progress",
         "where standard error is no terminal (a log), a progress\n"
         "line at every tenth of a transfer and where it stopped",
         [](TToolOptions& o, const std::string&) { o.progress = true; }},
        {{"--no-backup"},
         "--no-backup",
         "keep no backup of what the controller held",
         [](TToolOptions& o, const std::string&) { o.noBackup = true; }},
        {{"--verify"},
         "--verify",
         "read the controller back and compare",
         [](TToolOptions& o, const std::string&) { o.verify = true; }},
        {{"--force"},
         "--force",
         "write an image file that is not 2048 bytes, or a\n"
         "configuration whose check found errors",
         [](TToolOptions& o, const std::string&) { o.force = true; }},
        {{"--always"},
         "--always",
         "write even when the controller already holds the image",
         [](TToolOptions& o, const std::string&) { o.always = true; }},
        {{"--probe"},
         "--probe",
         "open each port to tell free from busy (opening raises\n"
         "DTR and RTS, which resets some devices)",
         [](TToolOptions& o, const std::string&) { o.probe = true; }},
        {{"--names"},
         "--names FILE.ini",
         "the names file (default: the one beside the image)",
         [](TToolOptions& o, const std::string& v) { o.names = v; },
         true},
        {{"--names-a"},
         "--names-a FILE.ini",
         "the names file of A",
         [](TToolOptions& o, const std::string& v) { o.namesA = v; },
         true},
        {{"--names-b"},
         "--names-b FILE.ini",
         "the names file of B",
         [](TToolOptions& o, const std::string& v) { o.namesB = v; },
         true},
        {{"-o", "--output"},
         "-o, --output FILE",
         "the document to write (- for standard output)",
         [](TToolOptions& o, const std::string& v) { o.output = v; },
         true},
        {{"--input"},
         "--input N",
         "the algorithm of IN-N alone; for record, the input tripped",
         [](TToolOptions& o, const std::string& v) { o.input = static_cast<int>(number("--input", v, 1, 24)); },
         true},
        {{"--target"},
         "--target KEY",
         "a zone or relay as the names file keys it: LB2.OUT3,\n"
         "CU.K1 (the controller's K1), RM1.K2 (relay module 1)",
         [](TToolOptions& o, const std::string& v) { o.target = v; },
         true},
        {{"--stage"},
         "--stage S",
         "stage S alone (default: every stage that switches it)",
         [](TToolOptions& o, const std::string& v) { o.stage = static_cast<int>(number("--stage", v, 1, 5)); },
         true},
        {{"--pass"},
         "--pass",
         "it did what it should (годен)",
         [](TToolOptions& o, const std::string&) { o.pass = true; }},
        {{"--fail"}, "--fail", "it did not (не годен)", [](TToolOptions& o, const std::string&) { o.fail = true; }},
        {{"--note"},
         "--note TEXT",
         "a remark with the result",
         [](TToolOptions& o, const std::string& v) { o.note = v; },
         true},
        {{"--by"},
         "--by NAME",
         "who tested (default: the engineer of the names file)",
         [](TToolOptions& o, const std::string& v) { o.by = v; },
         true},
        {{"--csv"},
         "--csv",
         "the matrix as ';'-separated values for a spreadsheet",
         [](TToolOptions& o, const std::string&) { o.csv = true; }},
        {{"--svg"},
         "--svg",
         "the timelines as an SVG document",
         [](TToolOptions& o, const std::string&) { o.svg = true; }},
        {{"--pdf"},
         "--pdf",
         "also a PDF of the document beside it, made by LibreOffice",
         [](TToolOptions& o, const std::string&) { o.pdf = true; }},
        {{"--json"},
         "--json",
         "the result as one JSON object",
         [](TToolOptions& o, const std::string&) { o.json = true; }},
        {{"--"}, "--", "the arguments that follow are no options"},
        {{"-"}, "-", "as a file: standard input (standard output for read)"},
        {{"-h", "--help"},
         "-h, --help",
         "this text; 'kt7tool COMMAND --help' for a command",
         [](TToolOptions& o, const std::string&) { o.help = true; }},
        {{"--version"},
         "--version",
         "the tool's version",
         [](TToolOptions& o, const std::string&) { o.version = true; }},
    };
    return options;
}

// Options every command takes.
bool general(const std::string& option)
{
    return option == "--help" || option == "--version";
}

const Option* findOption(const std::string& spelling)
{
    for (const Option& o : optionTable())
        if (o.set && std::find(o.spellings.begin(), o.spellings.end(), spelling) != o.spellings.end())
            return &o;
    return nullptr;
}

const TToolCommand* findCommand(const std::vector<TToolCommand>& commands, const std::string& name)
{
    for (const TToolCommand& c : commands)
        if (c.name == name)
            return &c;
    return nullptr;
}

// Why a command refuses an option: where it belongs when one command, or
// the command's sibling, takes it; else that the command takes no such option.
std::string refusal(const std::string& spelling, const std::string& option, const TToolCommand& command,
                    const std::vector<TToolCommand>& commands)
{
    std::vector<std::string> takers;
    for (const TToolCommand& c : commands)
        if (c.takes(option))
            takers.push_back(c.name);
    const bool sibling = std::find(takers.begin(), takers.end(), command.sibling) != takers.end();
    if (takers.size() == 1 || sibling)
        return spelling + " belongs to kt7tool " + (sibling ? command.sibling : takers.front());
    return "takes no " + spelling + " (see kt7tool " + command.name + " --help)";
}

} // namespace

std::string TToolOptions::usage(const std::vector<TToolCommand>& commands, const std::string& command)
{
    const auto optionLines = [](const auto& wanted) {
        std::string text;
        for (const Option& o : optionTable()) {
            if (!wanted(o))
                continue;
            std::string line = std::string("  ") + o.label;
            line.resize(std::max<size_t>(line.size() + 1, 22), ' ');
            std::string help = o.text;
            for (size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1))
                help.insert(at + 1, 22, ' ');
            text += line + help + "\n";
        }
        return text;
    };
    if (const TToolCommand* c = findCommand(commands, command))
        return "usage: " + c->synopsis + "\n\n" + c->text + "\nOptions:\n"
            + optionLines([c](const Option& o) { return c->takes(o.name()) || o.name() == "--help"; });
    std::string text = "usage: kt7tool COMMAND [ARGS] [OPTIONS]\n"
                       "The KT7-CU controller and its configuration images from the command line.\n\n"
                       "Commands:\n";
    for (const TToolCommand& c : commands)
        text += "  " + c.synopsis + "\n";
    text += "\nOptions:\n" + optionLines([](const Option&) { return true; })
        + "\n"
          "Ctrl+C, SIGTERM or SIGHUP during identify, read, write, restore or verify finish\n"
          "the block exchange under way, then stop and say what the controller holds.\n\n"
          "Exit status: 0 success, 1 a difference or (check) a finding, 2 usage or I/O\n"
          "error, or a write refused, 128+N stopped by signal N (130 SIGINT, 143 SIGTERM,\n"
          "129 SIGHUP).\n";
    return text;
}

TToolOptions TToolOptions::parse(int argc, const char* const* argv, const std::vector<TToolCommand>& commands)
{
    TToolOptions o;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--") {
            options = false;
            continue;
        }
        if (!options || arg.size() < 2 || arg[0] != '-') {
            if (!o.command.empty()) {
                o.operands.push_back(arg);
            } else if (arg == "help") {
                o.help = true;
                o.command = i + 1 < argc ? argv[++i] : "";
                if (!o.command.empty() && !findCommand(commands, o.command))
                    throw TToolError("unknown command " + o.command + " (see kt7tool --help)", TToolError::Usage);
            } else if (!findCommand(commands, arg)) {
                throw TToolError("unknown command " + arg + " (see kt7tool --help)", TToolError::Usage);
            } else {
                o.command = arg;
            }
            continue;
        }
        const Option* option = findOption(arg);
        if (!option)
            throw TToolError("unknown option " + arg + " (see kt7tool --help)", TToolError::Usage);
        std::string value;
        if (option->hasValue) {
            if (i + 1 >= argc)
                throw TToolError(arg + " needs a value", TToolError::Usage);
            value = argv[++i];
        }
        option->set(o, value);
        o.m_given.push_back({option->name(), arg});
    }
    if (o.help || o.version)
        return o;
    if (o.command.empty())
        throw TToolError("no command given (see kt7tool --help)", TToolError::Usage);
    const TToolCommand& entry = *findCommand(commands, o.command);
    const std::string& c = o.command;
    for (const Given& given : o.m_given)
        if (!general(given.option) && !entry.takes(given.option))
            throw TToolError(c + ": " + refusal(given.spelling, given.option, entry, commands), TToolError::Usage);
    if (o.quiet && o.verbose > 0)
        throw TToolError("--quiet and -v ask for less and more; give one", TToolError::Usage);
    if (o.com != 0 && !o.device.empty())
        throw TToolError("--com and --device name the port twice; give one", TToolError::Usage);

    const size_t wanted = static_cast<size_t>(entry.operands);
    if (o.operands.size() != wanted)
        throw TToolError(c + ": expected " + std::to_string(wanted) + " file operand" + (wanted == 1 ? "" : "s")
                             + ", got " + std::to_string(o.operands.size()) + " (see kt7tool " + c + " --help)",
                         TToolError::Usage);
    if (std::count(o.operands.begin(), o.operands.end(), "-") > 1)
        throw TToolError(c + ": standard input (-) can stand for one file only", TToolError::Usage);
    if (entry.port && o.com == 0 && o.device.empty())
        throw TToolError(c + ": name the port with --com N or --device PATH", TToolError::Usage);
    for (const TToolCommand::Required& required : entry.required)
        if (std::none_of(o.m_given.begin(), o.m_given.end(),
                         [&](const Given& given) { return given.option == required.option; }))
            throw TToolError(c + ": " + required.message, TToolError::Usage);
    return o;
}
