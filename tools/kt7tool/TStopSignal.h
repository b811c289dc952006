#pragma once
// Ctrl+C, SIGTERM and SIGHUP while kt7tool talks to the controller: the
// handler only notes the signal, so that the exchange under way is finished
// (a frame is never cut) and the transfer stops between two blocks with a
// message saying what the controller now holds. Exit status 128 + signal.

#include <string>

class TStopSignal {
public:
    // Catches the three signals from now on.
    static void install();
    // The signal that asked to stop, or 0.
    static int received();
    // "SIGINT", "SIGTERM", "SIGHUP".
    static std::string name(int signal);
    static int exitStatus(int signal) { return 128 + signal; }
};
