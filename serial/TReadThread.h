#pragma once

#include "serial/TThread.h"

#include <cstdint>

class TCommShared;

// Moves the bytes the driver already holds into the input ring.
class TReadThread : public TThread {
public:
    // watchEventChar: note EV_RXFLAG when the event character arrives.
    TReadThread(TCommShared& shared, bool watchEventChar);

protected:
    void Execute() override;

private:
    void ReadHeld();

    TCommShared& FShared;
    const int FHandle;
    const bool FWatchEventChar;
};
