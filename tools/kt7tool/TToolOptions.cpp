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

struct OptionHelp {
    const char* name;
    const char* text;
};

// Every option, in the order the help lists them.
const OptionHelp Options[] = {
    {"--com N", "the port the window calls COM N"},
    {"--device PATH", "the serial device itself"},
    {"--baud N", "line speed (default 9600)"},
    {"--timeout MS",
     "time to wait for each reply (default 500); a block whose\n"
     "reply is late or damaged is asked for twice more"},
    {"--quiet", "no progress bar on standard error, no notes after a write"},
    {"-v, --verbose",
     "the controller's identification, the backup's path, the\n"
     "blocks asked for again and the time of each transfer"},
    {"-vv", "also every frame, as the window's traffic log shows it"},
    {"--progress",
     "where standard error is no terminal (a log), a progress\n"
     "line at every tenth of a transfer and where it stopped"},
    {"--no-backup", "keep no backup of what the controller held"},
    {"--verify", "read the controller back and compare"},
    {"--force",
     "write an image file that is not 2048 bytes, or a\n"
     "configuration whose check found errors"},
    {"--always", "write even when the controller already holds the image"},
    {"--names FILE.ini", "the names file (default: the one beside the image)"},
    {"--names-a FILE.ini", "the names file of A"},
    {"--names-b FILE.ini", "the names file of B"},
    {"-o, --output FILE", "the document to write"},
    {"--input N", "the algorithm of IN-N alone"},
    {"--csv", "the matrix as ';'-separated values for a spreadsheet"},
    {"--svg", "the timelines as an SVG document"},
    {"--pdf", "also a PDF of the document, made by LibreOffice"},
    {"--json", "the result as one JSON object"},
    {"--", "the arguments that follow are no options"},
    {"-", "as a file: standard input (standard output for read)"},
    {"--help", "this text; 'kt7tool COMMAND --help' for a command"},
    {"--version", "the tool's version"},
};

struct CommandHelp {
    const char* name;
    const char* synopsis;
    const char* text;
    // The options the command takes, as Options names them.
    std::vector<std::string> options;
};

// The options of the commands that talk to the controller, and of those
// that move the whole image.
const std::vector<std::string> LineOptions = {"--com N", "--device PATH", "--baud N", "--timeout MS"};
const std::vector<std::string> TransferOptions = {"--quiet", "-v, --verbose", "-vv", "--progress"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> groups)
{
    std::vector<std::string> all;
    for (const std::vector<std::string>& group : groups)
        all.insert(all.end(), group.begin(), group.end());
    return all;
}

const CommandHelp Help[] = {
    {"ports",
     "kt7tool ports [--json]",
     "Lists each COM number with the device it stands for, its /dev/serial/by-id\n"
     "name (or -) and whether it is free or busy, one port a line, tab-separated.\n"
     "With --json: {\"ports\": [{\"com\": N, \"device\": PATH, \"byId\": PATH | null,\n"
     "  \"state\": \"free\" | \"busy\" | REASON}]}\n",
     {"--json"}},
    {"identify", "kt7tool identify (--com N | --device PATH) [--json]",
     "Prints the controller's identification text, as the window shows it.\n"
     "With --json: {\"port\": \"COM N\" | PATH, \"device\": PATH,\n"
     "  \"identification\": \"S/N-KT7S (01.02.03)\", \"serial\": \"KT7S010203\"}\n",
     joined({LineOptions, {"-v, --verbose", "-vv", "--json"}})},
    {"read", "kt7tool read OUT.usr (--com N | --device PATH)",
     "Reads the controller's whole image into OUT.usr. The file is replaced\n"
     "atomically: a failed read leaves no file, or the old one, behind.\n"
     "With - for OUT.usr the image goes to standard output, unless that is a terminal.\n",
     joined({LineOptions, TransferOptions, {"-"}})},
    {"write", "kt7tool write IN.usr (--com N | --device PATH) [--no-backup] [--verify] [--force] [--always]",
     "Writes IN.usr into the controller, comparing every block's echo. A file\n"
     "that is not exactly 2048 bytes is refused unless --force. The configuration\n"
     "is checked as kt7tool check does, before the port is opened: errors refuse\n"
     "the write (exit status 2, nothing sent) unless --force, and warnings are\n"
     "printed on standard error. First the controller's current image is read and\n"
     "kept in a new file\n"
     "$XDG_DATA_HOME/kt7config/backups/<serial>-<UTC time>.usr (unless --no-backup),\n"
     "whose path is printed on standard error after the write (unless --quiet);\n"
     "when the controller already holds IN.usr nothing is sent, unless --always.\n"
     "With --verify the controller is read back and compared with IN.usr.\n"
     "A backup is restored with kt7tool write BACKUP.usr.\n"
     "Exit status 1 when an echo or the read-back differs.\n",
     joined({LineOptions, TransferOptions, {"--no-backup", "--verify", "--force", "--always", "-"}})},
    {"verify", "kt7tool verify FILE.usr (--com N | --device PATH)",
     "Reads the controller and prints how it differs from FILE.usr, in the words\n"
     "of kt7tool diff (FILE.usr first). Exit status 1 when they differ.\n",
     joined({LineOptions, TransferOptions, {"-"}})},
    {"show",
     "kt7tool show FILE.usr [--names FILE.ini] [--json]",
     "Prints the configuration in words, one fact per line in a fixed order.\n"
     "The names file defaults to FILE.ini beside FILE.usr.\n",
     {"--names FILE.ini", "--json", "-"}},
    {"check",
     "kt7tool check FILE.usr [--names FILE.ini] [--json]",
     "Checks the configuration and prints one finding a line, in the order of the\n"
     "window's tree: 'error: WHERE: TEXT' or 'warning: WHERE: TEXT', WHERE naming\n"
     "the node as the tree does ('IN-3, Этап 2'). Errors are what the editor never\n"
     "makes or what silences an alarm; warnings are what it allows but is rarely\n"
     "meant. The algorithms' names (from the names file, by default FILE.ini\n"
     "beside FILE.usr) are checked when there is one. With --json:\n"
     "  {\"findings\": [{\"severity\": \"error\" | \"warning\", \"id\": \"stage-after-stop\",\n"
     "    \"node\": {\"kind\": \"system\" | \"settings\" | \"buttons\" | \"groups\" |\n"
     "              \"button\" | \"group\" | \"input\" | \"stage\", \"button\": K,\n"
     "              \"group\": G, \"input\": I, \"stage\": S},\n"
     "    \"where\": \"IN-3, Этап 2\", \"text\": \"...\"}]}\n"
     "where a node carries only the numbers of its kind. The identifiers are\n"
     "stable; the texts may change. Exit status 0 when nothing is found, 1 when\n"
     "there are findings.\n",
     {"--names FILE.ini", "--json", "-"}},
    {"diff",
     "kt7tool diff A.usr B.usr [--names-a FILE.ini] [--names-b FILE.ini]",
     "Prints the differences between two configurations in words: 'key: old → new',\n"
     "'- fact' only in A, '+ fact' only in B, then 'Байт 0xOOOO: AA → BB' for bytes\n"
     "that differ outside the facts shown. Exit status 1 when they differ.\n",
     {"--names-a FILE.ini", "--names-b FILE.ini", "-"}},
    {"backups",
     "kt7tool backups [--json]",
     "Lists the kept images of the controllers, newest first, one a line:\n"
     "serial, UTC time and path, tab-separated. Both kt7tool write and the\n"
     "window's read keep them in $XDG_DATA_HOME/kt7config/backups.\n"
     "With --json: {\"backups\": [{\"serial\": S, \"time\": T, \"path\": P}]}\n",
     {"--json"}},
    {"report",
     "kt7tool report FILE.usr [--names FILE.ini] -o OUT.docx",
     "Writes the configuration report the window makes as OUT.docx.\n",
     {"--names FILE.ini", "-o, --output FILE", "-"}},
    {"pack", "kt7tool pack FILE.usr [--names FILE.ini] [--com N | --device PATH] -o OUT.docx [--pdf]",
     "Writes the commissioning pack of the project as OUT.docx: a title page\n"
     "(site, address, project, controller, date, program, engineer), the\n"
     "verification against the controller, the configuration check's findings,\n"
     "the cause-and-effect matrix and the timelines on landscape pages, the zones\n"
     "of the console buttons and paging groups, page numbers and a signature\n"
     "block. The site and the names of zones and relays come from the names file.\n"
     "With --com or --device the controller is read and compared with the project:\n"
     "the pack says it is equal, with the time and the serial number, or lists the\n"
     "differences (exit status 1); without, it says it was not verified. With\n"
     "--pdf LibreOffice also writes OUT.pdf beside it; without LibreOffice the\n"
     ".docx is written and the command fails with exit status 2.\n",
     joined(
         {LineOptions,
          {"--names FILE.ini", "-o, --output FILE", "--pdf", "-v, --verbose", "-vv", "--quiet", "--progress", "-"}})},
    {"matrix",
     "kt7tool matrix FILE.usr [--names FILE.ini] [--csv | --json]",
     "Prints the cause-and-effect matrix: a row for each switched-on algorithm\n"
     "('IN-3 name'), a column for each output of the splitters the system has\n"
     "('LB1 OUT1'), each relay of its relay modules ('Реле 1.1') and K1, K2; a\n"
     "cell lists the running stages that switch it ('1, 2'). Stages beyond one\n"
     "that is off or unlimited never run and are not counted. Below come the\n"
     "outputs of the console buttons, paging groups and background music, the\n"
     "columns no algorithm switches and the algorithms that switch nothing.\n"
     "With --csv: one header row and one row per algorithm, ';'-separated, UTF-8\n"
     "with a byte-order mark, for a spreadsheet. With --json:\n"
     "  {\"columns\": [{\"head\": \"LB1 OUT1\", \"kind\": \"output\" | \"relay\" | \"K1\" | \"K2\",\n"
     "    \"splitter\": S, \"output\": O, \"module\": M, \"relay\": R, \"used\": BOOL}],\n"
     "   \"inputs\": [{\"input\": I, \"head\": \"IN-3 name\", \"delay\": SECONDS | null,\n"
     "    \"switches\": BOOL, \"stages\": [{\"stage\": K, \"start\": SECONDS | null,\n"
     "      \"end\": SECONDS | null, \"unlimited\": BOOL, \"time\": \"00:30–01:00\",\n"
     "      \"source\": \"Панель\", \"number\": N}], \"idle\": [K],\n"
     "    \"cells\": {\"LB1 OUT1\": [K]}}],\n"
     "   \"zones\": [{\"zone\": \"Кнопка 1\", \"outputs\": [\"LB1 OUT1\"]}]}\n"
     "Times count from the trigger; null is an unknown time (a delay without a\n"
     "list entry) or no end (an unlimited stage). 'idle' lists the stages switched\n"
     "on that never run.\n",
     {"--names FILE.ini", "--csv", "--json", "-"}},
    {"timeline",
     "kt7tool timeline FILE.usr [--names FILE.ini] [--input N] --svg",
     "Writes the timelines of the switched-on algorithms (or of IN-N alone) as\n"
     "one SVG document on standard output, on one time scale from the trigger:\n"
     "the delay, then each running stage as a bar as long as its running time\n"
     "(an unlimited one with an open end), labelled with its time, message and\n"
     "the number of outputs and relays it switches. A running stage is a\n"
     "<rect class=\"stage\" data-stage=\"K\">. IN-N switched off is an error.\n",
     {"--names FILE.ini", "--input N", "--svg", "-"}},
};

const CommandHelp* find(const std::string& command)
{
    for (const CommandHelp& h : Help)
        if (command == h.name)
            return &h;
    return nullptr;
}

} // namespace

const std::vector<std::string>& TToolOptions::commands()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const CommandHelp& h : Help)
            n.emplace_back(h.name);
        return n;
    }();
    return names;
}

std::string TToolOptions::usage(const std::string& command)
{
    const auto optionLines = [](const std::vector<std::string>& names) {
        std::string text;
        for (const OptionHelp& o : Options) {
            if (std::find(names.begin(), names.end(), o.name) == names.end())
                continue;
            std::string line = std::string("  ") + o.name;
            line.resize(std::max<size_t>(line.size() + 1, 22), ' ');
            std::string help = o.text;
            for (size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1))
                help.insert(at + 1, 22, ' ');
            text += line + help + "\n";
        }
        return text;
    };
    if (const CommandHelp* h = find(command)) {
        std::vector<std::string> names = h->options;
        names.emplace_back("--help");
        return std::string("usage: ") + h->synopsis + "\n\n" + h->text + "\nOptions:\n" + optionLines(names);
    }
    std::string text = "usage: kt7tool COMMAND [ARGS] [OPTIONS]\n"
                       "The KT7-CU controller and its configuration images from the command line.\n\n"
                       "Commands:\n";
    for (const CommandHelp& h : Help)
        text += std::string("  ") + h.synopsis + "\n";
    std::vector<std::string> all;
    for (const OptionHelp& o : Options)
        all.emplace_back(o.name);
    text += "\nOptions:\n" + optionLines(all)
        + "\n"
          "Ctrl+C, SIGTERM or SIGHUP during identify, read, write or verify finish the\n"
          "block exchange under way, then stop and say what the controller holds.\n\n"
          "Exit status: 0 success, 1 a difference or (check) a finding, 2 usage or I/O\n"
          "error, or a write refused, 128+N stopped by signal N (130 SIGINT, 143 SIGTERM,\n"
          "129 SIGHUP).\n";
    return text;
}

TToolOptions TToolOptions::parse(int argc, const char* const* argv)
{
    TToolOptions o;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw TToolError(arg + " needs a value", TToolError::Usage);
            return argv[++i];
        };
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
                if (!o.command.empty() && !find(o.command))
                    throw TToolError("unknown command " + o.command + " (see kt7tool --help)", TToolError::Usage);
            } else if (!find(arg)) {
                throw TToolError("unknown command " + arg + " (see kt7tool --help)", TToolError::Usage);
            } else {
                o.command = arg;
            }
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--com") {
            o.com = static_cast<int>(number(arg, value(), 1, 255));
        } else if (arg == "--device") {
            o.device = value();
        } else if (arg == "--baud") {
            o.baud = static_cast<unsigned>(number(arg, value(), 50, 4000000));
        } else if (arg == "--timeout") {
            o.timeoutMs = static_cast<int>(number(arg, value(), 1, 600000));
        } else if (arg == "--quiet" || arg == "-q") {
            o.quiet = true;
        } else if (arg == "-v" || arg == "--verbose") {
            ++o.verbose;
        } else if (arg == "-vv") {
            o.verbose += 2;
        } else if (arg == "--progress") {
            o.progress = true;
        } else if (arg == "--no-backup") {
            o.noBackup = true;
        } else if (arg == "--verify") {
            o.verify = true;
        } else if (arg == "--force") {
            o.force = true;
        } else if (arg == "--always") {
            o.always = true;
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "--names") {
            o.names = value();
        } else if (arg == "--names-a") {
            o.namesA = value();
        } else if (arg == "--names-b") {
            o.namesB = value();
        } else if (arg == "-o" || arg == "--output") {
            o.output = value();
        } else if (arg == "--csv") {
            o.csv = true;
        } else if (arg == "--svg") {
            o.svg = true;
        } else if (arg == "--pdf") {
            o.pdf = true;
        } else if (arg == "--input") {
            o.input = static_cast<int>(number(arg, value(), 1, 24));
        } else {
            throw TToolError("unknown option " + arg + " (see kt7tool --help)", TToolError::Usage);
        }
    }
    if (o.help || o.version)
        return o;
    if (o.command.empty())
        throw TToolError("no command given (see kt7tool --help)", TToolError::Usage);
    if (o.quiet && o.verbose > 0)
        throw TToolError("--quiet and -v ask for less and more; give one", TToolError::Usage);
    if (o.com != 0 && !o.device.empty())
        throw TToolError("--com and --device name the port twice; give one", TToolError::Usage);

    const std::string& c = o.command;
    const size_t wanted = c == "diff" ? 2 : (c == "ports" || c == "identify" || c == "backups") ? 0 : 1;
    if (o.operands.size() != wanted)
        throw TToolError(c + ": expected " + std::to_string(wanted) + " file operand" + (wanted == 1 ? "" : "s")
                             + ", got " + std::to_string(o.operands.size()) + " (see kt7tool " + c + " --help)",
                         TToolError::Usage);
    if (std::count(o.operands.begin(), o.operands.end(), "-") > 1)
        throw TToolError(c + ": standard input (-) can stand for one file only", TToolError::Usage);
    const bool line = c == "identify" || c == "read" || c == "write" || c == "verify";
    if (line && o.com == 0 && o.device.empty())
        throw TToolError(c + ": name the port with --com N or --device PATH", TToolError::Usage);
    if ((c == "report" || c == "pack") && o.output.empty())
        throw TToolError(c + ": name the document with -o OUT.docx", TToolError::Usage);
    return o;
}
