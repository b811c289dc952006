#include "serial/TReadThread.h"

#include "serial/TCommShared.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

TReadThread::TReadThread(TCommShared& shared, bool watchEventChar)
    : FShared(shared), FHandle(shared.Device.Handle()), FWatchEventChar(watchEventChar)
{
}

void TReadThread::Execute()
{
    while (!Terminated()) {
        FShared.ReceiveRequest.Wait();
        if (Terminated())
            break;
        if (!FShared.Lost.load())
            ReadHeld();
    }
}

void TReadThread::ReadHeld()
{
    while (!Terminated()) {
        const int held = FShared.Device.InQueue();
        if (held == 0) {
            // Drained: let the status thread watch for the next byte.
            FShared.ArmReceive();
            return;
        }
        if (held < 0) {
            FShared.MarkLost(FShared.Device.LastError());
            return;
        }
        const TRingBuffer::TRun room = FShared.In.FreeRun();
        const uint32_t n = std::min<uint32_t>(room.Length, static_cast<uint32_t>(held));
        if (n == 0)
            return; // ring full: GetBlock signals when it has made room
        const ssize_t k = ::read(FHandle, room.Data, n);
        if (k > 0) {
            if (FWatchEventChar && std::memchr(room.Data, FShared.Settings().EvtChar, static_cast<size_t>(k)))
                FShared.NoteLineEvents(TCommShared::EV_RXFLAG);
            FShared.In.Commit(room, static_cast<uint32_t>(k));
            FShared.DataReceivedNote.Set();
        } else if (k == 0 || (errno != EAGAIN && errno != EINTR)) {
            FShared.MarkLost(k == 0 ? EIO : errno);
            return;
        } else if (errno == EAGAIN) {
            FShared.ArmReceive();
            return;
        }
    }
}
