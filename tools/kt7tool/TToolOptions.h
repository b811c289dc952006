#pragma once
// The command line of kt7tool: one command, its operands and the options,
// which may stand before or after the command.

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
    int input = 0;      // --input N (timeline); 0: every switched-on input

    // Throws TToolError (status 2) with a message for the user.
    static TToolOptions parse(int argc, const char* const* argv);

    static const std::vector<std::string>& commands();
    // Usage of the whole tool, or of one command.
    static std::string usage(const std::string& command = {});
};
