#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
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

    // Worker side: returns once `call` has run on the user-interface thread,
    // or as soon as `abandon` is true (see Wake). An abandoned call that has
    // not started never runs; one already running finishes on the
    // user-interface thread without holding the worker. True when it ran.
    bool Send(const std::function<void()>& call, const std::atomic<bool>* abandon = nullptr);

    // Lets every worker blocked in Send look at its abandon flag again.
    void Wake();

    // User-interface side: runs every queued call.
    void RunPending();

    // User-interface side: runs queued calls until `flag` is true.
    void WaitUntil(const std::atomic<bool>& flag);

    // Sets `flag` and wakes a WaitUntil on it.
    void Raise(std::atomic<bool>& flag);

    ~TSyncMailbox();

private:
    // Shared by the worker and the user-interface thread: a worker that is
    // told to stop may leave while its call still runs, for instance inside
    // a modal box that a handler shows.
    struct TCall {
        std::function<void()> Call;
        const std::atomic<bool>* Abandon = nullptr;
        bool Started = false;
        bool Done = false;
    };

    TSyncMailbox();
    void RunOne(std::unique_lock<std::mutex>& lock);

    std::mutex FMutex;
    std::condition_variable FCond;
    std::deque<std::shared_ptr<TCall>> FQueue;
    std::thread::id FUiThread;
    QEvent* FWakeEvent = nullptr;
    std::unique_ptr<TSyncReceiver> FReceiver;
};
