#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QEvent;
class TSyncReceiver;

// Hands calls from worker threads to the user-interface thread (the thread
// of the QCoreApplication). A worker queues the call and blocks until the
// user-interface thread has run it; a posted event makes the event loop drain
// the queue. Everything shared is guarded by the standard mutex here, so the
// hand-over is visible to race checkers that cannot see inside the toolkit.
// For the same reason the wake event is allocated on the user-interface
// thread (one at a time, replaced when it is delivered) and only posted by
// the worker.
class TSyncMailbox {
public:
    static TSyncMailbox& Instance();

    bool OnUiThread() const;

    // Worker side: returns once `call` has run on the user-interface thread.
    void Send(const std::function<void()>& call);

    // User-interface side: runs every queued call.
    void RunPending();

    // User-interface side: runs queued calls until `flag` is true.
    void WaitUntil(const std::atomic<bool>& flag);

    // Sets `flag` and wakes a WaitUntil on it.
    void Raise(std::atomic<bool>& flag);

    ~TSyncMailbox();

private:
    // Lives on the sending worker's stack while it waits: queuing needs no
    // allocation.
    struct TCall {
        const std::function<void()>* Call;
        TCall* Next = nullptr;
        bool Done = false;
    };

    TSyncMailbox();
    void RunOne(std::unique_lock<std::mutex>& lock);

    std::mutex FMutex;
    std::condition_variable FCond;
    TCall* FFirst = nullptr;
    TCall* FLast = nullptr;
    std::thread::id FUiThread;
    QEvent* FWakeEvent = nullptr;
    std::unique_ptr<TSyncReceiver> FReceiver;
};
