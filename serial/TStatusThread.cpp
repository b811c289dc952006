#include "serial/TStatusThread.h"

#include "serial/TCommPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>

namespace {

// The pause after a wait that does not complete at once; events arriving
// meanwhile merge into one mask, so a short reply is read in one piece.
constexpr int kStatusPauseMs = 50;
// How often modem lines and line-error counters are sampled where the
// driver offers them (the kernel has no wakeup for them that poll can see).
constexpr int kLineSampleMs = 100;

}  // namespace

TStatusThread::TStatusThread(TCommPort& port)
    : FPort(port), FHandle(port.FDevice.Handle()), FMask(static_cast<uint32_t>(port.MonitorEvents.to_ulong()))
{
}

void TStatusThread::Execute()
{
    if (FPort.FDevice.ModemStatus(FModemBits)) {
        FModemKnown = true;
        FPort.UpdateModemFlags(FModemBits);
    }
    FPort.FModemKnown = FModemKnown;
    FCountersKnown = FPort.FDevice.LineCounters(FCounters);
    FPort.FLastEventMask = 0;

    while (!Terminated()) {
        const uint32_t m = WaitLineEvent();
        if (Terminated())
            break;
        if (m == 0)
            continue;
        // Bits accumulate until the dispatch takes them.
        FPort.FLastEventMask.fetch_or(m);
        if ((m & TCommPort::EV_MODEM) && FModemKnown)
            FPort.UpdateModemFlags(FModemBits);
        if (FPort.Control() == ccHard && FPort.CTS() && FPort.FOut.Used() > 0) {
            FPort.FTransmit.Set();
            FPort.FClearToSend.Set();
        }
        if (m & TCommPort::EV_RXCHAR)
            FPort.FReceiveRequest.Set();
        FPort.FStatusNote.Set();
    }
}

uint32_t TStatusThread::WaitLineEvent()
{
    if (const uint32_t m = Collect(false))
        return m;
    if (!SleepUnlessStopped(kStatusPauseMs))
        return 0;
    uint32_t m = 0;
    while (m == 0 && !Terminated())
        m = Collect(true);
    return m;
}

bool TStatusThread::SleepUnlessStopped(int milliseconds)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return true;
        pollfd wake{FPort.FLineWake.Handle(), POLLIN, 0};
        if (::poll(&wake, 1, static_cast<int>(left)) > 0) {
            if (Terminated())
                return false;
            // A worker's note; it is picked up by the next collection.
            FPort.FLineWake.Clear();
        }
    }
}

uint32_t TStatusThread::Collect(bool block)
{
    const bool lost = FPort.FLost.load();
    if (lost && !FLostReported)
        return ReportLoss();
    const bool watchInput = !lost && (FMask & TCommPort::EV_RXCHAR) && FPort.FReceiveArmed.load();
    pollfd fds[2] = {{FPort.FLineWake.Handle(), POLLIN, 0}, {lost ? -1 : FHandle, short(watchInput ? POLLIN : 0), 0}};

    int timeout = 0;
    // Notes whose wake-up the pause has already consumed are collected at once.
    if (block && FPort.FPendingEvents.load() == 0) {
        timeout = -1;
        if (!lost && ((FModemKnown && (FMask & TCommPort::EV_MODEM)) || (FCountersKnown && (FMask & (TCommPort::EV_BREAK | TCommPort::EV_ERR)))))
            timeout = kLineSampleMs;
        if (!lost && FPort.FOutputWritten.load()) {
            // Sample the transmit queue about as often as a byte leaves.
            const int queued = std::max(FPort.FDevice.OutQueue(), 1);
            const int ms = static_cast<int>(std::clamp<int64_t>(int64_t(queued) * 10000 / std::max<uint32_t>(FPort.FBaudValue, 1), 1, kLineSampleMs));
            timeout = timeout < 0 ? ms : std::min(timeout, ms);
        }
    }
    const int ready = ::poll(fds, 2, timeout);
    if (ready < 0 && errno != EINTR)
        return 0;
    if (fds[0].revents & POLLIN)
        FPort.FLineWake.Clear();

    uint32_t m = FPort.FPendingEvents.exchange(0);
    if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
        FPort.MarkLost(EIO);
    else if (fds[1].revents & POLLIN) {
        FPort.FReceiveArmed = false;
        m |= TCommPort::EV_RXCHAR;
    }
    if (FPort.FLost.load())
        return FLostReported ? 0 : ReportLoss();
    // Cleared before the queue is looked at: output written meanwhile sets
    // the flag again and earns its own EV_TXEMPTY.
    if (FPort.FOutputWritten.exchange(false)) {
        if (FPort.FDevice.OutQueue() <= 0)
            m |= TCommPort::EV_TXEMPTY;
        else
            FPort.FOutputWritten.store(true);
    }
    m |= ModemChanges();
    return m & FMask;
}

uint32_t TStatusThread::ReportLoss()
{
    FLostReported = true;
    // Reported whatever the monitored set, so the loss is never silent.
    return TCommPort::EV_ERR;
}

uint32_t TStatusThread::ModemChanges()
{
    uint32_t m = 0;
    uint32_t bits = 0;
    if (FModemKnown && FPort.FDevice.ModemStatus(bits)) {
        const uint32_t changed = bits ^ FModemBits;
        if (changed & TSerialDevice::ModemCts) m |= TCommPort::EV_CTS;
        if (changed & TSerialDevice::ModemDsr) m |= TCommPort::EV_DSR;
        if (changed & TSerialDevice::ModemDcd) m |= TCommPort::EV_RLSD;
        if (changed & bits & TSerialDevice::ModemRing) m |= TCommPort::EV_RING;
        FModemBits = bits;
    }
    TSerialDevice::TLineCounters counters;
    if (FCountersKnown && FPort.FDevice.LineCounters(counters)) {
        if (counters.Breaks != FCounters.Breaks) m |= TCommPort::EV_BREAK;
        if (counters.Errors != FCounters.Errors) m |= TCommPort::EV_ERR;
        FCounters = counters;
    }
    return m;
}
