#pragma once

#include "serial/TEvent.h"
#include "serial/TEventFd.h"
#include "serial/TLineSettings.h"
#include "serial/TRingBuffer.h"
#include "serial/TSerialDevice.h"

#include <atomic>
#include <cstdint>
#include <mutex>

// What a serial port component and its worker threads share; the workers
// receive this object and nothing else of the component. The contract:
// - Device: opened and closed by the component while no worker runs; any
//   thread makes its calls on it in between.
// - In: the read thread fills it, the component's GetBlock empties it.
//   Out: the component's PutBlock fills it, the write thread empties it.
// - The events wake one worker each (see their comments); every one of them
//   is reset by the component just before the worker that waits on it starts.
// - The flags below are atomics: workers write them, the component reads them
//   (and resets them with ResetForOpen before any worker runs).
// - The line settings: one copy, written by the component on the
//   user-interface thread, read by the workers through Settings().
class TCommShared {
public:
    static constexpr uint32_t EV_RXCHAR = 0x001;
    static constexpr uint32_t EV_RXFLAG = 0x002;
    static constexpr uint32_t EV_TXEMPTY = 0x004;
    static constexpr uint32_t EV_CTS = 0x008;
    static constexpr uint32_t EV_DSR = 0x010;
    static constexpr uint32_t EV_RLSD = 0x020;
    static constexpr uint32_t EV_BREAK = 0x040;
    static constexpr uint32_t EV_ERR = 0x080;
    static constexpr uint32_t EV_RING = 0x100;
    static constexpr uint32_t EV_MODEM = EV_CTS | EV_DSR | EV_RLSD | EV_ERR | EV_RING;

    TSerialDevice Device;
    TRingBuffer Out;
    TRingBuffer In;

    // Wakes the read thread: a received byte, or room made in the input ring.
    TEvent ReceiveRequest{TEvent::TMode::AutoReset};
    // Wakes the write thread while output is pending.
    TEvent Transmit{TEvent::TMode::ManualReset};
    // Wakes the read-event thread after a read.
    TEvent DataReceivedNote{TEvent::TMode::AutoReset};
    // Wakes the status-event thread after line events.
    TEvent StatusNote{TEvent::TMode::AutoReset};
    // Lets the write thread sleep while hardware flow control holds it back.
    TEvent ClearToSend{TEvent::TMode::AutoReset};
    // Ends the status thread's wait on the device; also carries the workers'
    // notes (receive re-armed, output written, event character, loss).
    TEventFd LineWake;

    // Line-event bits gathered by the status thread until a dispatch takes them.
    std::atomic<uint32_t> LastEventMask{0};
    // Events noted by the other workers for the status thread to pass on.
    std::atomic<uint32_t> PendingEvents{0};
    // The status thread watches the device for input only while armed.
    std::atomic<bool> ReceiveArmed{true};
    std::atomic<bool> OutputWritten{false};
    std::atomic<bool> ModemKnown{false};
    std::atomic<bool> Lost{false};
    std::atomic<int> LostError{0};
    // Modem lines as the status thread last saw them.
    std::atomic<bool> CTS{false};
    std::atomic<bool> DSR{false};
    std::atomic<bool> DCD{false};
    std::atomic<bool> Ring{false};

    // The flags as an opening starts them.
    void ResetForOpen();

    TLineSettings Settings() const;
    template <class Change> void ChangeSettings(Change change)
    {
        std::lock_guard lock(FSettingsLock);
        change(FSettings);
    }
    // Output held back by the peer's CTS (hardware flow control).
    bool HardwareFlow() const { return (Settings().Flags & TLineSettings::FlagOutxCtsFlow) != 0; }

    // Called by the workers.
    void NoteLineEvents(uint32_t events);
    void NoteOutput();
    void ArmReceive();
    void MarkLost(int error);
    void UpdateModemFlags(uint32_t bits);

private:
    mutable std::mutex FSettingsLock;
    TLineSettings FSettings;
};
