#pragma once

#include "serial/TThread.h"

#include <functional>

class TCommShared;

// Runs the component's line-event dispatch on the user-interface thread.
class TStatusEventThread : public TThread {
public:
    TStatusEventThread(TCommShared& shared, std::function<void()> dispatch)
        : FShared(shared), FDispatch(std::move(dispatch))
    {
    }

protected:
    void Execute() override;

private:
    TCommShared& FShared;
    const std::function<void()> FDispatch;
};
