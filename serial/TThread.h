#pragma once

#include <atomic>
#include <functional>
#include <thread>

// A worker thread with a terminate flag. The creator calls Start once the
// object is fully built; Execute runs until it sees Terminated().
// Threads are created and waited for on the user-interface thread.
class TThread {
public:
    TThread() = default;
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();
    virtual void Terminate();
    bool Terminated() const { return FTerminated.load(); }

    // Blocks until Execute has returned. On the user-interface thread it keeps
    // running calls that workers hand over meanwhile, so a worker blocked in
    // Synchronize can always finish.
    void WaitFor();

protected:
    virtual void Execute() = 0;

    // Runs `call` on the user-interface thread and returns after it ran, or
    // once the thread is told to terminate (the call then may not run, or may
    // still be running). `call` must not refer to the thread object itself.
    void Synchronize(const std::function<void()>& call);

private:
    std::thread FThread;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
};
