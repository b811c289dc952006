#include "serial/TWriteThread.h"

#include "serial/TCommPort.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

TWriteThread::TWriteThread(TCommPort& port) : FPort(port), FHandle(port.FDevice.Handle()) {}

void TWriteThread::Terminate()
{
    TThread::Terminate();
    FAbort.Signal();
    FPort.FClearToSend.Set();
}

void TWriteThread::Execute()
{
    while (!Terminated()) {
        FPort.FTransmit.Wait();
        if (Terminated())
            break;
        if (FPort.FOut.ResetIfEmpty(FPort.FTransmit))
            continue;
        if (FPort.FLost.load()) {
            // Nothing can be sent any more; dropping it keeps this thread
            // from waking again until new output is queued.
            Discard();
            continue;
        }
        if (FPort.Control() == ccHard && FPort.FModemKnown.load() && !FPort.CTS()) {
            FPort.FClearToSend.Wait();
            continue;
        }
        WriteQueued();
    }
}

void TWriteThread::WriteQueued()
{
    while (FPort.FOut.Used() > 0 && !Terminated()) {
        const TRingBuffer::TRun run = FPort.FOut.UsedRun();
        if (run.Length == 0)
            return;
        const ssize_t k = ::write(FHandle, run.Data, run.Length);
        if (k > 0) {
            FPort.FOut.Consume(run, static_cast<uint32_t>(k));
            FPort.NoteOutput();
        } else if (k < 0 && errno == EAGAIN) {
            if (!WaitWritable())
                return;
        } else if (k < 0 && errno != EINTR) {
            FPort.MarkLost(errno);
            return;
        }
    }
}

void TWriteThread::Discard()
{
    while (FPort.FOut.Used() > 0) {
        const TRingBuffer::TRun run = FPort.FOut.UsedRun();
        FPort.FOut.Consume(run, run.Length);
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
        FPort.MarkLost(EIO);
        return false;
    }
    return true;
}
