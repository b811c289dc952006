#include "serial/TStatusThread.h"

#include "serial/TCommShared.h"

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

} // namespace

TStatusThread::TStatusThread(TCommShared& shared, uint32_t mask)
    : FShared(shared), FHandle(shared.Device.Handle()), FMask(mask)
{
}

void TStatusThread::Execute()
{
    if (FShared.Device.ModemStatus(FModemBits)) {
        FModemKnown = true;
        FShared.UpdateModemFlags(FModemBits);
    }
    FShared.ModemKnown = FModemKnown;
    FCountersKnown = FShared.Device.LineCounters(FCounters);
    FShared.LastEventMask = 0;

    while (!Terminated()) {
        const uint32_t m = WaitLineEvent();
        if (Terminated())
            break;
        if (m == 0)
            continue;
        // Bits accumulate until the dispatch takes them.
        FShared.LastEventMask.fetch_or(m);
        if ((m & TCommShared::EV_MODEM) && FModemKnown)
            FShared.UpdateModemFlags(FModemBits);
        if (FShared.HardwareFlow() && FShared.CTS.load() && FShared.Out.Used() > 0) {
            FShared.Transmit.Set();
            FShared.ClearToSend.Set();
        }
        if (m & TCommShared::EV_RXCHAR)
            FShared.ReceiveRequest.Set();
        FShared.StatusNote.Set();
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
        pollfd wake{FShared.LineWake.Handle(), POLLIN, 0};
        if (::poll(&wake, 1, static_cast<int>(left)) > 0) {
            if (Terminated())
                return false;
            // A worker's note; it is picked up by the next collection.
            FShared.LineWake.Clear();
        }
    }
}

uint32_t TStatusThread::Collect(bool block)
{
    const bool lost = FShared.Lost.load();
    if (lost && !FLostReported)
        return ReportLoss();
    const bool watchInput = !lost && (FMask & TCommShared::EV_RXCHAR) && FShared.ReceiveArmed.load();
    pollfd fds[2] = {{FShared.LineWake.Handle(), POLLIN, 0}, {lost ? -1 : FHandle, short(watchInput ? POLLIN : 0), 0}};

    int timeout = 0;
    // Notes whose wake-up the pause has already consumed are collected at once.
    if (block && FShared.PendingEvents.load() == 0) {
        timeout = -1;
        if (!lost
            && ((FModemKnown && (FMask & TCommShared::EV_MODEM))
                || (FCountersKnown && (FMask & (TCommShared::EV_BREAK | TCommShared::EV_ERR)))))
            timeout = kLineSampleMs;
        if (!lost && FShared.OutputWritten.load()) {
            // Sample the transmit queue about as often as a byte leaves.
            const int queued = std::max(FShared.Device.OutQueue(), 1);
            const int ms = static_cast<int>(std::clamp<int64_t>(
                int64_t(queued) * 10000 / std::max<uint32_t>(FShared.Settings().BaudRate, 1), 1, kLineSampleMs));
            timeout = timeout < 0 ? ms : std::min(timeout, ms);
        }
    }
    const int ready = ::poll(fds, 2, timeout);
    if (ready < 0 && errno != EINTR)
        return 0;
    if (fds[0].revents & POLLIN)
        FShared.LineWake.Clear();

    uint32_t m = FShared.PendingEvents.exchange(0);
    if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
        FShared.MarkLost(EIO);
    else if (fds[1].revents & POLLIN) {
        FShared.ReceiveArmed = false;
        m |= TCommShared::EV_RXCHAR;
    }
    if (FShared.Lost.load())
        return FLostReported ? 0 : ReportLoss();
    // Cleared before the queue is looked at: output written meanwhile sets
    // the flag again and earns its own EV_TXEMPTY.
    if (FShared.OutputWritten.exchange(false)) {
        if (FShared.Device.OutQueue() <= 0)
            m |= TCommShared::EV_TXEMPTY;
        else
            FShared.OutputWritten.store(true);
    }
    m |= ModemChanges();
    return m & FMask;
}

uint32_t TStatusThread::ReportLoss()
{
    FLostReported = true;
    // Reported whatever the monitored set, so the loss is never silent.
    return TCommShared::EV_ERR;
}

uint32_t TStatusThread::ModemChanges()
{
    uint32_t m = 0;
    uint32_t bits = 0;
    if (FModemKnown && FShared.Device.ModemStatus(bits)) {
        const uint32_t changed = bits ^ FModemBits;
        if (changed & TSerialDevice::ModemCts)
            m |= TCommShared::EV_CTS;
        if (changed & TSerialDevice::ModemDsr)
            m |= TCommShared::EV_DSR;
        if (changed & TSerialDevice::ModemDcd)
            m |= TCommShared::EV_RLSD;
        if (changed & bits & TSerialDevice::ModemRing)
            m |= TCommShared::EV_RING;
        FModemBits = bits;
    }
    TSerialDevice::TLineCounters counters;
    if (FCountersKnown && FShared.Device.LineCounters(counters)) {
        if (counters.Breaks != FCounters.Breaks)
            m |= TCommShared::EV_BREAK;
        if (counters.Errors != FCounters.Errors)
            m |= TCommShared::EV_ERR;
        FCounters = counters;
    }
    return m;
}
