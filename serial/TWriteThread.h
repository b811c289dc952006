#pragma once

#include "serial/TEventFd.h"
#include "serial/TThread.h"

class TCommShared;

// Moves bytes from the output ring to the port, the longest contiguous run
// per write.
class TWriteThread : public TThread {
public:
    explicit TWriteThread(TCommShared& shared);

    // Also ends a wait for the device to accept more output.
    void Terminate() override;

protected:
    void Execute() override;

private:
    void WriteQueued();
    void Discard();
    bool WaitWritable();

    TCommShared& FShared;
    const int FHandle;
    TEventFd FAbort;
};
