#pragma once
// Command line of kt7sim.

#include <string>

#include "tools/kt7sim/TSimController.h"

class TSimOptions {
public:
    unsigned baud = 9600; // 0: no pacing
    int gapMs = 20;       // pause between the chunks of a split reply
    int delayMs = 0;      // pause before each reply
    int com = -1;         // create the override link comN while running
    std::string serial = TSimController::DefaultSerial;
    std::string imagePath;
    std::string dumpPath;
    TSimController::Faults faults;
    bool help = false;

    // Throws std::invalid_argument with a message for the user.
    static TSimOptions parse(int argc, const char* const* argv);
    static const char* usage();
};
