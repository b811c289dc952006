#pragma once
// One command of kt7tool as data: its name, its help, what it takes and the
// function that carries it out. The command line is checked against these
// entries, the help is made from them and the command runs through them, so
// a command is added as one entry and its handler.

#include <algorithm>
#include <string>
#include <vector>

class TToolCommands;

struct TToolCommand {
    // An option a command cannot do without, and what to say when it is missing.
    struct Required {
        std::string option;
        std::string message;
    };

    std::string name;
    std::string synopsis; // the usage line, "kt7tool show FILE.usr [--names FILE.ini] [--json]"
    std::string text;     // what the command does, lines ending in '\n'
    int operands = 0;     // file operands
    bool port = false;    // talks to the controller: --com N or --device PATH
    // The options it takes, each by its long name in TToolOptions' table
    // ("--verbose" for -v, --verbose).
    std::vector<std::string> options;
    std::vector<Required> required;
    // A command whose options are told as belonging to it when given here.
    std::string sibling;
    int (TToolCommands::*run)() = nullptr;

    bool takes(const std::string& option) const
    {
        return std::find(options.begin(), options.end(), option) != options.end();
    }
};
