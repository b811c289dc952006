#include "serial/TSyncMailbox.h"

#include "serial/TSyncReceiver.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <cassert>
#include <utility>

TSyncMailbox& TSyncMailbox::Instance()
{
    static TSyncMailbox mailbox;
    return mailbox;
}

TSyncMailbox::TSyncMailbox()
{
    [[maybe_unused]] QCoreApplication* app = QCoreApplication::instance();
    assert(app && QThread::currentThread() == app->thread() &&
           "the first hand-over must be set up on the user-interface thread");
    FUiThread = std::this_thread::get_id();
    FReceiver = std::make_unique<TSyncReceiver>(*this);
    FWakeEvent = new QEvent(QEvent::User);
}

TSyncMailbox::~TSyncMailbox()
{
    delete FWakeEvent;
}

bool TSyncMailbox::OnUiThread() const
{
    return std::this_thread::get_id() == FUiThread;
}

void TSyncMailbox::Send(const std::function<void()>& call)
{
    TCall entry{&call};
    std::unique_lock lock(FMutex);
    (FLast ? FLast->Next : FFirst) = &entry;
    FLast = &entry;
    // Without a wake event at hand one is already on its way, and its
    // delivery drains the whole queue.
    if (QEvent* wake = std::exchange(FWakeEvent, nullptr))
        QCoreApplication::postEvent(FReceiver.get(), wake);
    FCond.notify_all();
    FCond.wait(lock, [&entry] { return entry.Done; });
}

void TSyncMailbox::RunOne(std::unique_lock<std::mutex>& lock)
{
    TCall* entry = FFirst;
    FFirst = entry->Next;
    if (!FFirst)
        FLast = nullptr;
    lock.unlock();
    struct TDone {
        TSyncMailbox& Box;
        TCall* Entry;
        std::unique_lock<std::mutex>& Lock;
        // Releases the worker even when the call throws.
        ~TDone()
        {
            Lock.lock();
            Entry->Done = true;
            Box.FCond.notify_all();
        }
    } done{*this, entry, lock};
    (*entry->Call)();
}

void TSyncMailbox::RunPending()
{
    std::unique_lock lock(FMutex);
    if (!FWakeEvent)
        FWakeEvent = new QEvent(QEvent::User);
    while (FFirst)
        RunOne(lock);
}

void TSyncMailbox::WaitUntil(const std::atomic<bool>& flag)
{
    std::unique_lock lock(FMutex);
    for (;;) {
        if (flag.load())
            return;
        if (FFirst)
            RunOne(lock);
        else
            FCond.wait(lock);
    }
}

void TSyncMailbox::Raise(std::atomic<bool>& flag)
{
    {
        std::lock_guard lock(FMutex);
        flag.store(true);
    }
    FCond.notify_all();
}
