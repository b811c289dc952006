#pragma once
// The command line of kt7tool: one command, its operands and the options,
// which may stand before or after the command. The commands are given as a
// table of TToolCommand entries: what each takes decides what is accepted,
// and the help is made from them.

#include "tools/kt7tool/TToolCommand.h"

#include <string>
#include <vector>

class TToolOptions {
public:
    std::string command; // empty: none given
    std::vector<std::string> operands;
    int com = 0;        // --com N; 0 when not given
    std::string device; // --device PATH
    unsigned baud = 9600;
    int timeoutMs = 500;
    bool quiet = false;
    int verbose = 0;       // -v 1, -vv 2
    bool progress = false; // --progress: progress lines where standard error is no terminal
    bool noBackup = false;
    bool verify = false;
    bool force = false;  // --force: write what a check or the file's size would refuse
    bool always = false; // --always: write even when the controller already holds the image
    bool json = false;
    bool help = false;
    bool version = false;
    std::string names;  // --names (show, report)
    std::string namesA; // --names-a (diff)
    std::string namesB; // --names-b (diff)
    std::string output; // -o (report, pack)
    bool pdf = false;   // --pdf (pack)
    bool csv = false;   // --csv (matrix)
    bool svg = false;   // --svg (timeline)
    int input = 0;      // --input N (timeline, record); 0: every switched-on input
    std::string target; // --target KEY (record): "LB2.OUT3", "CU.K1", "RM1.K2"
    int stage = 0;      // --stage S (record); 0: every stage that switches the target
    bool pass = false;  // --pass (record)
    bool fail = false;  // --fail (record)
    std::string note;   // --note TEXT (record)
    std::string by;     // --by NAME (record); empty: the site's engineer
    bool probe = false; // --probe (ports): open each port to tell free from busy

    // Throws TToolError (status 2) with a message for the user: an unknown
    // command or option, an option the command does not take, a wrong
    // number of operands, a port missing where the command needs one.
    static TToolOptions parse(int argc, const char* const* argv, const std::vector<TToolCommand>& commands);

    // Usage of the whole tool, or of one command.
    static std::string usage(const std::vector<TToolCommand>& commands, const std::string& command = {});

private:
    // The options given, by long name, with the spelling used, in order.
    struct Given {
        std::string option;
        std::string spelling;
    };
    std::vector<Given> m_given;
};
