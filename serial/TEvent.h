#pragma once

#include <condition_variable>
#include <mutex>

// A signalled/non-signalled flag that threads wait on. An auto-reset event
// lets one waiter through per Set and falls back to non-signalled; a
// manual-reset event stays signalled until Reset.
class TEvent {
public:
    enum class TMode { AutoReset, ManualReset };

    explicit TEvent(TMode mode);

    void Set();
    void Reset();
    void Wait();

private:
    std::mutex FMutex;
    std::condition_variable FCond;
    bool FSignalled = false;
    const TMode FMode;
};
