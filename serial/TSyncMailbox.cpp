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
    assert(app && QThread::currentThread() == app->thread()
           && "the first hand-over must be set up on the user-interface thread");
    FUiThread = std::this_thread::get_id();
    FReceiver = std::make_unique<TSyncReceiver>([this] { RunPending(); });
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

bool TSyncMailbox::Send(const std::function<void()>& call, const std::atomic<bool>* abandon)
{
    auto entry = std::make_shared<TCall>();
    entry->Call = call;
    entry->Abandon = abandon;
    std::unique_lock lock(FMutex);
    FQueue.push_back(entry);
    // Without a wake event at hand one is already on its way, and its
    // delivery drains the whole queue.
    if (QEvent* wake = std::exchange(FWakeEvent, nullptr))
        QCoreApplication::postEvent(FReceiver.get(), wake);
    FCond.notify_all();
    FCond.wait(lock, [&] { return entry->Done || (abandon && abandon->load()); });
    if (!entry->Started)
        std::erase(FQueue, entry);
    return entry->Done;
}

void TSyncMailbox::Wake()
{
    {
        std::lock_guard lock(FMutex);
    }
    FCond.notify_all();
}

void TSyncMailbox::RunOne(std::unique_lock<std::mutex>& lock)
{
    const std::shared_ptr<TCall> entry = FQueue.front();
    FQueue.pop_front();
    // Read under the lock: the worker cannot have left Send yet.
    if (entry->Abandon && entry->Abandon->load())
        return;
    entry->Started = true;
    lock.unlock();
    struct TDone {
        TSyncMailbox& Box;
        const std::shared_ptr<TCall>& Entry;
        std::unique_lock<std::mutex>& Lock;
        // Releases the worker even when the call throws.
        ~TDone()
        {
            Lock.lock();
            Entry->Done = true;
            Box.FCond.notify_all();
        }
    } done{*this, entry, lock};
    entry->Call();
}

void TSyncMailbox::RunPending()
{
    std::unique_lock lock(FMutex);
    if (!FWakeEvent)
        FWakeEvent = new QEvent(QEvent::User);
    while (!FQueue.empty())
        RunOne(lock);
}

void TSyncMailbox::WaitUntil(const std::atomic<bool>& flag)
{
    std::unique_lock lock(FMutex);
    for (;;) {
        if (flag.load())
            return;
        if (!FQueue.empty())
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
