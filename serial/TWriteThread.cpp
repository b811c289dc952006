#include "serial/TWriteThread.h"

#include "serial/TCommShared.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

TWriteThread::TWriteThread(TCommShared& shared) : FShared(shared), FHandle(shared.Device.Handle())
{
}

void TWriteThread::Terminate()
{
    TThread::Terminate();
    FAbort.Signal();
    FShared.ClearToSend.Set();
}

void TWriteThread::Execute()
{
    while (!Terminated()) {
        FShared.Transmit.Wait();
        if (Terminated())
            break;
        if (FShared.Out.ResetIfEmpty(FShared.Transmit))
            continue;
        if (FShared.Lost.load()) {
            // Nothing can be sent any more; dropping it keeps this thread
            // from waking again until new output is queued.
            Discard();
            continue;
        }
        if (FShared.HardwareFlow() && FShared.ModemKnown.load() && !FShared.CTS.load()) {
            FShared.ClearToSend.Wait();
            continue;
        }
        WriteQueued();
    }
}

void TWriteThread::WriteQueued()
{
    while (FShared.Out.Used() > 0 && !Terminated()) {
        const TRingBuffer::TRun run = FShared.Out.UsedRun();
        if (run.Length == 0)
            return;
        const ssize_t k = ::write(FHandle, run.Data, run.Length);
        if (k > 0) {
            FShared.Out.Consume(run, static_cast<uint32_t>(k));
            FShared.NoteOutput();
        } else if (k < 0 && errno == EAGAIN) {
            if (!WaitWritable())
                return;
        } else if (k < 0 && errno != EINTR) {
            FShared.MarkLost(errno);
            return;
        }
    }
}

void TWriteThread::Discard()
{
    while (FShared.Out.Used() > 0) {
        const TRingBuffer::TRun run = FShared.Out.UsedRun();
        FShared.Out.Consume(run, run.Length);
    }
}

bool TWriteThread::WaitWritable()
{
    pollfd fds[2] = {{FHandle, POLLOUT, 0}, {FAbort.Handle(), POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0)
        if (errno != EINTR)
            return false;
    if (fds[1].revents)
        return false;
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        FShared.MarkLost(EIO);
        return false;
    }
    return true;
}
