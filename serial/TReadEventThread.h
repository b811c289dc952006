#pragma once

#include "serial/TThread.h"

#include <functional>

class TCommShared;

// Raises the component's received-data announcement on the user-interface
// thread after reads.
class TReadEventThread : public TThread {
public:
    TReadEventThread(TCommShared& shared, std::function<void()> announce)
        : FShared(shared), FAnnounce(std::move(announce))
    {
    }

protected:
    void Execute() override;

private:
    TCommShared& FShared;
    const std::function<void()> FAnnounce;
};
