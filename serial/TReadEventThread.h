#pragma once

#include "serial/TThread.h"

class TCommPort;

// Raises OnDataReceived on the user-interface thread after reads.
class TReadEventThread : public TThread {
public:
    explicit TReadEventThread(TCommPort& port) : FPort(port) {}

protected:
    void Execute() override;

private:
    TCommPort& FPort;
};
