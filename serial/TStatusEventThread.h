#pragma once

#include "serial/TThread.h"

class TCommPort;

// Raises the line-event handlers on the user-interface thread.
class TStatusEventThread : public TThread {
public:
    explicit TStatusEventThread(TCommPort& port) : FPort(port) {}

protected:
    void Execute() override;

private:
    TCommPort& FPort;
};
