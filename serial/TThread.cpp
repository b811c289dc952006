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
        mailbox.Send(call);
}
