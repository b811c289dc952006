#pragma once

#include "serial/TThread.h"

#include <cstdint>

class TCommPort;

// Moves the bytes the driver already holds into the input ring.
class TReadThread : public TThread {
public:
    explicit TReadThread(TCommPort& port);

protected:
    void Execute() override;

private:
    void ReadHeld();

    TCommPort& FPort;
    const int FHandle;
    const bool FWatchEventChar;
};
