#include "tools/kt7tool/TToolCommandTable.h"

#include "tools/kt7tool/TToolCommands.h"

#include <initializer_list>

// An entry names only what its command needs; the other members keep their
// defaults, which GCC 12 would warn of for designated initializers.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// The options of the commands that talk to the controller, and of those
// that move the whole image.
const std::vector<std::string> LineOptions = {"--com", "--device", "--baud", "--timeout"};
const std::vector<std::string> TransferOptions = {"--quiet", "--verbose", "-vv", "--progress"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> groups)
{
    std::vector<std::string> all;
    for (const std::vector<std::string>& group : groups)
        all.insert(all.end(), group.begin(), group.end());
    return all;
}

} // namespace

const std::vector<TToolCommand>& TToolCommandTable::all()
{
    // In the order the help lists them.
    static const std::vector<TToolCommand> commands = {
        {.name = "ports",
         .synopsis = "kt7tool ports [--probe] [--json]",
         .text = "Lists each COM number with the device it stands for, its /dev/serial/by-id\n"
                 "name (or -) and what is known of its use, one port a line, tab-separated:\n"
                 "busy where a lock file names a running program, the system's reason where\n"
                 "the device cannot be used (missing, no permission), else -. No port is\n"
                 "opened, for opening one raises DTR and RTS; with --probe each is opened\n"
                 "to tell free from busy.\n"
                 "With --json: {\"ports\": [{\"com\": N, \"device\": PATH, \"byId\": PATH | null,\n"
                 "  \"state\": \"free\" | \"busy\" | REASON | null}]}\n",
         .options = {"--probe", "--json"},
         .run = &TToolCommands::ports},
        {.name = "identify",
         .synopsis = "kt7tool identify (--com N | --device PATH) [--json]",
         .text = "Prints the controller's identification text, as the window shows it.\n"
                 "With --json: {\"port\": \"COM N\" | PATH, \"device\": PATH,\n"
                 "  \"identification\": \"S/N-KT7S (01.02.03)\", \"serial\": \"KT7S010203\"}\n",
         .port = true,
         .options = joined({LineOptions, {"--verbose", "-vv", "--json"}}),
         .run = &TToolCommands::identify},
        {.name = "read",
         .synopsis = "kt7tool read OUT.usr (--com N | --device PATH)",
         .text = "Reads the controller's whole image into OUT.usr. The file is replaced\n"
                 "atomically: a failed read leaves no file, or the old one, behind.\n"
                 "With - for OUT.usr the image goes to standard output, unless that is a terminal.\n",
         .operands = 1,
         .port = true,
         .options = joined({LineOptions, TransferOptions, {"-"}}),
         .run = &TToolCommands::read},
        {.name = "write",
         .synopsis = "kt7tool write IN.usr (--com N | --device PATH) [--no-backup] [--verify] [--force] [--always]",
         .text = "Writes IN.usr into the controller, comparing every block's echo. A file\n"
                 "that is not exactly 2048 bytes is refused unless --force. The configuration\n"
                 "is checked as kt7tool check does, before the port is opened: errors refuse\n"
                 "the write (exit status 2, nothing sent) unless --force, and warnings are\n"
                 "printed on standard error. First the controller's current image is read and\n"
                 "kept in a new file\n"
                 "$XDG_DATA_HOME/kt7config/backups/<serial>-<UTC time>.usr (unless --no-backup),\n"
                 "whose path is printed on standard error after the write (unless --quiet);\n"
                 "when the controller already holds IN.usr nothing is sent, unless --always.\n"
                 "With --verify the controller is read back and compared with IN.usr.\n"
                 "A backup is restored with kt7tool restore BACKUP.usr. A file named as the\n"
                 "backups are, of another controller than the one that answers, is refused\n"
                 "unless --force. A write cut short says what the controller holds and, when\n"
                 "it is not known to hold one configuration whole, the command that restores\n"
                 "the configuration it held before.\n"
                 "Exit status 1 when an echo or the read-back differs.\n",
         .operands = 1,
         .port = true,
         .options = joined({LineOptions, TransferOptions, {"--no-backup", "--verify", "--force", "--always", "-"}}),
         .run = &TToolCommands::write},
        {.name = "restore",
         .synopsis
         = "kt7tool restore BACKUP.usr (--com N | --device PATH) [--no-backup] [--verify] [--force] [--always]",
         .text = "Writes a kept image back into the controller as write does, but the\n"
                 "configuration check's errors are printed as warnings: a backup is what a\n"
                 "controller held. A backup whose file name names another controller than the\n"
                 "one that answers is refused (exit status 2, nothing sent) unless --force.\n"
                 "A write cut short prints this command with the line settings it used.\n",
         .operands = 1,
         .port = true,
         .options = joined({LineOptions, TransferOptions, {"--no-backup", "--verify", "--force", "--always"}}),
         .run = &TToolCommands::write},
        {.name = "verify",
         .synopsis = "kt7tool verify FILE.usr (--com N | --device PATH)",
         .text = "Reads the controller and prints how it differs from FILE.usr, in the words\n"
                 "of kt7tool diff (FILE.usr first). Exit status 1 when they differ.\n"
                 "With -v a line says so when the controller holds FILE.usr.\n",
         .operands = 1,
         .port = true,
         .options = joined({LineOptions, TransferOptions, {"-"}}),
         .run = &TToolCommands::verify},
        {.name = "show",
         .synopsis = "kt7tool show FILE.usr [--names FILE.ini] [--json]",
         .text = "Prints the configuration in words, one fact per line in a fixed order.\n"
                 "The names file defaults to FILE.ini beside FILE.usr.\n",
         .operands = 1,
         .options = {"--names", "--json", "-"},
         .run = &TToolCommands::show},
        {.name = "check",
         .synopsis = "kt7tool check FILE.usr [--names FILE.ini] [--json]",
         .text = "Checks the configuration and prints one finding a line, in the order of the\n"
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
         .operands = 1,
         .options = {"--names", "--json", "-"},
         .run = &TToolCommands::check},
        {.name = "diff",
         .synopsis = "kt7tool diff A.usr B.usr [--names-a FILE.ini] [--names-b FILE.ini]",
         .text = "Prints the differences between two configurations in words: 'key: old → new',\n"
                 "'- fact' only in A, '+ fact' only in B, then 'Байт 0xOOOO: AA → BB' for bytes\n"
                 "that differ outside the facts shown. Exit status 1 when they differ.\n",
         .operands = 2,
         .options = {"--names-a", "--names-b", "-"},
         .run = &TToolCommands::diff},
        {.name = "backups",
         .synopsis = "kt7tool backups [--json]",
         .text = "Lists the kept images of the controllers, newest first, one a line:\n"
                 "serial, UTC time, path and why it was kept (read, write: before a write,\n"
                 "compare: a comparison with the controller; - when not known),\n"
                 "tab-separated. kt7tool write and the window's reads, writes and\n"
                 "comparisons keep them in $XDG_DATA_HOME/kt7config/backups, none when the\n"
                 "newest backup of the controller holds the same image.\n"
                 "With --json: {\"backups\": [{\"serial\": S, \"time\": T, \"path\": P,\n"
                 "  \"reason\": \"read\" | \"write\" | \"compare\" | null, \"project\": NAME | null}]}\n",
         .options = {"--json"},
         .run = &TToolCommands::backups},
        {.name = "report",
         .synopsis = "kt7tool report FILE.usr [--names FILE.ini] -o OUT.docx",
         .text = "Writes the configuration report the window makes as OUT.docx; with -o -\n"
                 "on standard output.\n",
         .operands = 1,
         .options = {"--names", "--output", "-"},
         .required = {{"--output", "name the document with -o OUT.docx"}},
         .run = &TToolCommands::report},
        {.name = "pack",
         .synopsis = "kt7tool pack FILE.usr [--names FILE.ini] [--com N | --device PATH] -o OUT.docx [--pdf]",
         .text = "Writes the commissioning pack of the project as OUT.docx (with -o - on\n"
                 "standard output): a title page (site, address, project, controller, date,\n"
                 "program, engineer), the verification against the controller, the\n"
                 "configuration check's findings, the cause-and-effect matrix and the\n"
                 "timelines on landscape pages, the zones of the console buttons, paging\n"
                 "groups and music, page numbers and a signature block. The site and the\n"
                 "names of zones and relays come from the names file ([Site], [Zones],\n"
                 "[Relays]). With --com or --device the controller is read and compared\n"
                 "with the project: the pack says it is equal, with the time and the serial\n"
                 "number, or lists the differences (exit status 1); without a port it says\n"
                 "it was not verified. With --pdf LibreOffice writes OUT.pdf beside OUT.docx;\n"
                 "where it is not installed OUT.docx is written and the status is 2.\n",
         .operands = 1,
         .options = joined({LineOptions, TransferOptions, {"--names", "--output", "--pdf", "-"}}),
         .required = {{"--output", "name the document with -o OUT.docx"}},
         .run = &TToolCommands::pack},
        {.name = "matrix",
         .synopsis = "kt7tool matrix FILE.usr [--names FILE.ini] [--csv | --json]",
         .text = "Prints the cause-and-effect matrix: a row for each switched-on algorithm\n"
                 "('IN-3 name'), a column for each output of the splitters the system has\n"
                 "('LB1 OUT1'), each relay of its relay modules ('Релейный модуль №1 K1')\n"
                 "and K1, K2 ('Реле в KT7-CU K1'), as the report names them; a cell lists\n"
                 "the running stages that switch it ('1, 2'). Stages beyond one\n"
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
         .operands = 1,
         .options = {"--names", "--csv", "--json", "-"},
         .sibling = "timeline",
         .run = &TToolCommands::matrix},
        {.name = "timeline",
         .synopsis = "kt7tool timeline FILE.usr [--names FILE.ini] [--input N] --svg",
         .text = "Writes the timelines of the switched-on algorithms (or of IN-N alone) as\n"
                 "one SVG document on standard output, on one time scale from the trigger:\n"
                 "the delay, then each running stage as a bar as long as its running time\n"
                 "(an unlimited one with an open end), labelled with its time and what it\n"
                 "does: its message and the number of outputs where it is heard, and the\n"
                 "number of relays it switches. A running stage is a\n"
                 "<rect class=\"stage\" data-stage=\"K\">, with data-start=\"unknown\" after a\n"
                 "delay without a list entry. IN-N switched off is an error.\n",
         .operands = 1,
         .options = {"--names", "--input", "--svg", "-"},
         .required = {{"--svg", "the timelines are drawn as SVG; give --svg"}},
         .sibling = "matrix",
         .run = &TToolCommands::timeline},
        {.name = "results",
         .synopsis = "kt7tool results FILE.usr [--names FILE.ini] [--json]",
         .text = "Prints the acceptance test of the project as recorded in FILE.results.txt\n"
                 "beside it (by the window's \"Испытания…\" and kt7tool record): for each\n"
                 "switched-on input its state (не испытан, годен, не годен, устарел: results\n"
                 "recorded before an edit changed what the input does), the effects tested of\n"
                 "those expected, passed and with a remark, who tested and when; then every\n"
                 "«не годен» with its remark and 'Испытано входов: N из M; годен: K;\n"
                 "замечаний: L'. Damaged lines of the file are warned of and kept.\n"
                 "With --json: {\"inputs\": [{\"input\": I, \"head\": \"IN-3 name\",\n"
                 "  \"state\": \"untested\" | \"passed\" | \"failed\" | \"stale\", \"fingerprint\": F,\n"
                 "  \"effects\": M, \"tested\": N, \"passed\": K, \"remarks\": L, \"stale\": S,\n"
                 "  \"tester\": T | null, \"time\": T | null, \"results\": [{\"stage\": K,\n"
                 "    \"start\": SECONDS | null, \"time\": \"00:30–01:30\", \"message\": M | null,\n"
                 "    \"target\": \"LB2.OUT3\", \"head\": \"LB2 OUT3\", \"name\": N | null,\n"
                 "    \"result\": null | \"pass\" | \"fail\" | \"unchecked\", \"stale\": BOOL,\n"
                 "    \"note\": N, \"tester\": T, \"recorded\": TIME, \"fingerprint\": F}],\n"
                 "  \"gone\": [{\"stage\": K, \"target\": KEY, ...}]}],\n"
                 " \"deviations\": [{\"input\": I, \"stage\": K, \"target\": KEY, \"name\": N | null,\n"
                 "  \"note\": N}], \"total\": M, \"tested\": N, \"passed\": K, \"remarks\": L,\n"
                 " \"allPassed\": BOOL}\n"
                 "'gone' holds results of effects the input no longer has.\n"
                 "Exit status 0 only when every switched-on input passed on the configuration\n"
                 "as it is, 1 otherwise (also when no input is switched on).\n",
         .operands = 1,
         .options = {"--names", "--json"},
         .sibling = "record",
         .run = &TToolCommands::results},
        {.name = "record",
         .synopsis = "kt7tool record FILE.usr --input N --target KEY (--pass | --fail) [--stage S] [--note TEXT] "
                     "[--by NAME] [--names FILE.ini]",
         .text = "Records one result of the acceptance test in FILE.results.txt beside the\n"
                 "project, as the window's \"Испытания…\" does: IN-N was tripped and the zone\n"
                 "or relay KEY (LB2.OUT3, CU.K1, RM1.K2) did (--pass) or did not (--fail) what\n"
                 "it should, in stage S or, without --stage, in every stage that switches it.\n"
                 "The result carries the time, the tester (--by, else the engineer of the\n"
                 "names file) and the fingerprint of what the input does now, and replaces an\n"
                 "earlier result of the same effect; the file is replaced atomically. An input\n"
                 "switched off, a target the input (or stage S) never switches, or an option\n"
                 "of another command: exit status 2 and nothing recorded.\n",
         .operands = 1,
         .options = {"--names", "--input", "--target", "--pass", "--fail", "--stage", "--note", "--by"},
         .required = {{"--input", "name the input tripped with --input N"},
                      {"--target", "name the zone or relay with --target KEY"}},
         .sibling = "results",
         .run = &TToolCommands::record},
    };
    return commands;
}
