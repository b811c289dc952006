#include "serial/TThread.h"

#include "serial/TSyncMailbox.h"

TThread::~TThread()
{
    if (FThread.joinable())
        WaitFor();
}

void TThread::Start()
{
    TSyncMailbox& mailbox = TSyncMailbox::Instance();
    FThread = std::thread([this, &mailbox] {
        Execute();
        mailbox.Raise(FFinished);
    });
}

void TThread::Terminate()
{
    FTerminated.store(true);
    // A hand-over in progress gives way: the thread can end even while its
    // call is still running further down the user-interface thread's stack.
    TSyncMailbox::Instance().Wake();
}

void TThread::WaitFor()
{
    if (!FThread.joinable())
        return;
    TSyncMailbox& mailbox = TSyncMailbox::Instance();
    if (mailbox.OnUiThread())
        mailbox.WaitUntil(FFinished);
    FThread.join();
}

void TThread::Synchronize(const std::function<void()>& call)
{
    TSyncMailbox& mailbox = TSyncMailbox::Instance();
    if (mailbox.OnUiThread())
        call();
    else
        mailbox.Send(call, &FTerminated);
}
