#include "serial/TReadThread.h"

#include "serial/TCommPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

TReadThread::TReadThread(TCommPort& port)
    : FPort(port), FHandle(port.FDevice.Handle()), FWatchEventChar(port.MonitorEvents.test(evRxEventChar))
{
}

void TReadThread::Execute()
{
    while (!Terminated()) {
        FPort.FReceiveRequest.Wait();
        if (Terminated())
            break;
        if (!FPort.FLost.load())
            ReadHeld();
    }
}

void TReadThread::ReadHeld()
{
    while (!Terminated()) {
        const int held = FPort.FDevice.InQueue();
        if (held == 0) {
            // Drained: let the status thread watch for the next byte.
            FPort.ArmReceive();
            return;
        }
        if (held < 0) {
            FPort.MarkLost(FPort.FDevice.LastError());
            return;
        }
        const TRingBuffer::TRun room = FPort.FIn.FreeRun();
        const uint32_t n = std::min<uint32_t>(room.Length, static_cast<uint32_t>(held));
        if (n == 0)
            return;  // ring full: GetBlock signals when it has made room
        const ssize_t k = ::read(FHandle, room.Data, n);
        if (k > 0) {
            if (FWatchEventChar && std::memchr(room.Data, FPort.EventChar(), static_cast<size_t>(k)))
                FPort.NoteLineEvents(TCommPort::EV_RXFLAG);
            FPort.FIn.Commit(room, static_cast<uint32_t>(k));
            FPort.FDataReceivedNote.Set();
        } else if (k == 0 || (errno != EAGAIN && errno != EINTR)) {
            FPort.MarkLost(k == 0 ? EIO : errno);
            return;
        } else if (errno == EAGAIN) {
            FPort.ArmReceive();
            return;
        }
    }
}
