#include "serial/TEvent.h"

TEvent::TEvent(TMode mode) : FMode(mode)
{
}

void TEvent::Set()
{
    {
        std::lock_guard lock(FMutex);
        FSignalled = true;
    }
    if (FMode == TMode::ManualReset)
        FCond.notify_all();
    else
        FCond.notify_one();
}

void TEvent::Reset()
{
    std::lock_guard lock(FMutex);
    FSignalled = false;
}

void TEvent::Wait()
{
    std::unique_lock lock(FMutex);
    FCond.wait(lock, [this] { return FSignalled; });
    if (FMode == TMode::AutoReset)
        FSignalled = false;
}
