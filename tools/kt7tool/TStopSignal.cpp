#include "tools/kt7tool/TStopSignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void note(int signal)
{
    if (stopSignal == 0)
        stopSignal = signal;
}

} // namespace

void TStopSignal::install()
{
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    // Neither SA_RESETHAND (a second Ctrl+C would still cut a frame) nor
    // SA_RESTART: an interrupted poll() returns and is resumed by its loop.
    action.sa_flags = 0;
    for (const int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &action, nullptr);
}

int TStopSignal::received()
{
    return stopSignal;
}

std::string TStopSignal::name(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "signal " + std::to_string(signal);
    }
}
