#include "serial/TCommPort.h"

#include "serial/TPortMap.h"
#include "serial/TReadEventThread.h"
#include "serial/TReadThread.h"
#include "serial/TStatusEventThread.h"
#include "serial/TStatusThread.h"
#include "serial/TWriteThread.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <grp.h>
#include <iostream>
#include <sys/stat.h>
#include <system_error>
#include <thread>

namespace {

constexpr int32_t kBaudRates[]
    = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr int kBaudRateCount = sizeof kBaudRates / sizeof kBaudRates[0];

constexpr uint32_t kControlFlags[] = {
    TLineSettings::FlagBinary,
    TLineSettings::FlagBinary | TLineSettings::FlagDtrEnable | TLineSettings::FlagOutX | TLineSettings::FlagInX
        | TLineSettings::FlagRtsEnable,
    TLineSettings::FlagBinary | TLineSettings::FlagOutxCtsFlow | TLineSettings::FlagOutxDsrFlow
        | TLineSettings::FlagDtrHandshake | TLineSettings::FlagRtsHandshake,
};

constexpr const char* kErrorCaption = "COM port error";
constexpr const char* kWarningCaption = "COM port warning";

std::string GroupOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return "dialout";
    if (const group* g = ::getgrgid(st.st_gid))
        return g->gr_name;
    return std::to_string(st.st_gid);
}

} // namespace

TCommPort::TMessageBox TCommPort::MessageBox = [](const std::string& text, const std::string& caption, unsigned) {
    std::cerr << caption << ": " << text << std::endl;
};

TCommPort::TCommPort()
{
    MonitorEvents.set();
    MonitorEvents.reset(evRxEventChar);
}

TCommPort::~TCommPort()
{
    *FAlive = nullptr;
    ClosePort();
}

void TCommPort::SetOpen(bool value)
{
    if (value == FOpen)
        return;
    if (value)
        OpenPort();
    else
        ClosePort();
}

void TCommPort::OpenPort()
{
    if (FOpen || FClosing)
        return;
    FShared.Out.Allocate(FOutSize);
    FShared.In.Allocate(FInSize);

    FShared.Device.ClearLastError();
    FDeviceName = TPortMap::Device(FComNumber);
    const int error = FDeviceName.empty() ? ENOENT : FShared.Device.Open(FDeviceName);
    if (error != 0) {
        FShared.In.Release();
        FShared.Out.Release();
        ShowOpenError(FDeviceName, error);
        return;
    }
    // The driver queues are the kernel's own; the rings have the requested
    // sizes, and the descriptor never blocks, so no time-outs are needed.
    ApplySettings();

    FShared.ResetForOpen();
    FLostShown = false;

    // All or nothing: a worker that cannot be started (no descriptor for its
    // event, no thread) ends those already running and leaves the port closed.
    if (const int failure = StartThreads()) {
        StopThreads();
        FShared.Device.Close();
        FShared.In.Release();
        FShared.Out.Release();
        ShowOpenError(FDeviceName, failure);
        return;
    }

    ++FGeneration;
    FOpen = true;
    SetDTR(FDTR);
    SetRTS(FRTS);
    if (OnOpen)
        OnOpen(this, FShared.Device.LastError());
}

int TCommPort::StartThreads()
{
    try {
        FStatusThread = std::make_unique<TStatusThread>(FShared, static_cast<uint32_t>(MonitorEvents.to_ulong()));
        FStatusThread->Start();
        FShared.ReceiveRequest.Reset();
        FReadThread = std::make_unique<TReadThread>(FShared, MonitorEvents.test(evRxEventChar));
        FReadThread->Start();
        FShared.Transmit.Reset();
        FShared.ClearToSend.Reset();
        FWriteThread = std::make_unique<TWriteThread>(FShared);
        FWriteThread->Start();
        FShared.DataReceivedNote.Reset();
        FReadEventThread = std::make_unique<TReadEventThread>(FShared, [this] { AnnounceData(); });
        FReadEventThread->Start();
        FShared.StatusNote.Reset();
        FStatusEventThread = std::make_unique<TStatusEventThread>(FShared, [this] { DispatchLineEvents(); });
        FStatusEventThread->Start();
    } catch (const TEventFd::Failure& f) {
        return f.error != 0 ? f.error : EMFILE;
    } catch (const std::system_error& e) {
        return e.code().value() != 0 ? e.code().value() : EAGAIN;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
    return 0;
}

void TCommPort::StopThreads()
{
    // The event threads are told first: their pending hand-overs are dropped,
    // so no handler runs from inside a close, and one whose handler is still
    // running (a modal box with its own event loop below this close) ends
    // without waiting for it.
    if (FReadEventThread) {
        FReadEventThread->Terminate();
        FShared.DataReceivedNote.Set();
    }
    if (FStatusEventThread) {
        FStatusEventThread->Terminate();
        FShared.StatusNote.Set();
    }

    if (FStatusThread) {
        FStatusThread->Terminate();
        FShared.LineWake.Signal();
        FStatusThread->WaitFor();
        FStatusThread.reset();
    }
    // Cleared once the status thread has ended, so a last line event cannot
    // set them again.
    FShared.CTS = FShared.DSR = FShared.DCD = FShared.Ring = false;

    if (FReadThread) {
        FReadThread->Terminate();
        FShared.ReceiveRequest.Set();
        FReadThread->WaitFor();
        FReadThread.reset();
    }
    if (FWriteThread) {
        FWriteThread->Terminate();
        FShared.Transmit.Set();
        FWriteThread->WaitFor();
        FWriteThread.reset();
    }
    if (FReadEventThread) {
        FReadEventThread->WaitFor();
        FReadEventThread.reset();
    }
    if (FStatusEventThread) {
        FStatusEventThread->WaitFor();
        FStatusEventThread.reset();
    }
}

void TCommPort::ApplySettings()
{
    SetComControl(FControl);
    SetBaudRate(FBaudRate);
    SetParity(Parity());
    SetStopBits(StopBits());
    SetDataBits(DataBits());
    SetXonLim(XonLim());
    SetXoffLim(XoffLim());
    SetXonChar(XonChar());
    SetXoffChar(XoffChar());
    SetEventChar(EventChar());
}

void TCommPort::ShowOpenError(const std::string& path, int error)
{
    std::string text = "Can't open COM port\n";
    const std::string port = "COM" + std::to_string(FComNumber);
    if (path.empty()) {
        text += port + ": no serial device has this number";
    } else if (error == EBUSY) {
        text += path + " (" + port + ") is busy: another program is using it";
    } else {
        text += path + " (" + port + "): " + std::strerror(error);
        if (error == EACCES)
            text += "\nAdd your user to the group \"" + GroupOf(path)
                + "\" that owns the device, then log out and log in again";
    }
    MessageBox(text, kErrorCaption, MB_ICONERROR);
}

void TCommPort::ClosePort()
{
    if (!FOpen || FClosing)
        return;
    FClosing = true;
    StopThreads();
    FShared.Device.Close();
    FShared.In.Release();
    FShared.Out.Release();
    FOpen = false;
    FClosing = false;
    if (OnClose)
        OnClose(this);
}

void TCommPort::SetComNumber(int32_t value)
{
    ClosePort();
    FComNumber = value;
}

void TCommPort::SetIBuffSize(uint32_t value)
{
    const bool wasOpen = FOpen;
    ClosePort();
    FInSize = value;
    if (wasOpen)
        OpenPort();
}

void TCommPort::SetOBuffSize(uint32_t value)
{
    const bool wasOpen = FOpen;
    ClosePort();
    FOutSize = value;
    if (wasOpen)
        OpenPort();
}

uint32_t TCommPort::GetInBuffFree()
{
    return FShared.In.Free();
}

uint32_t TCommPort::GetOutBuffFree()
{
    return FShared.Out.Free();
}

int32_t TCommPort::GetOutQueCount() const
{
    if (!IsEnabled())
        return 0;
    return std::max(FShared.Device.OutQueue(), 0);
}

uint8_t TCommPort::GetChar()
{
    uint8_t c = 0;
    if (CharReady())
        GetBlock(&c, 1);
    return c;
}

void TCommPort::PutChar(uint8_t c)
{
    PutBlock(&c, 1);
}

uint32_t TCommPort::PutString(const char* text)
{
    const size_t length = text ? std::strlen(text) : 0;
    return length ? PutBlock(text, static_cast<uint32_t>(length)) : 0;
}

uint32_t TCommPort::PutBlock(const void* data, uint32_t length)
{
    // After a loss the write thread drops whatever is queued.
    if (!FOpen || FShared.Lost.load())
        return 0;
    const uint32_t queued = FShared.Out.Put(static_cast<const uint8_t*>(data), length);
    if (queued > 0)
        FShared.Transmit.Set();
    return queued;
}

uint32_t TCommPort::GetBlock(void* buffer, uint32_t length)
{
    if (!FOpen || FShared.In.Used() == 0)
        return 0;
    const uint32_t taken = FShared.In.Take(static_cast<uint8_t*>(buffer), length);
    FShared.ReceiveRequest.Set();
    return taken;
}

void TCommPort::SetComControl(TComControl value)
{
    FControl = value;
    FShared.ChangeSettings(
        [value](TLineSettings& s) { s.Flags = value <= ccHard ? kControlFlags[value] : TLineSettings::FlagBinary; });
    WriteLineSettings();
}

void TCommPort::WriteLineSettings()
{
    // Closed, the settings are only kept; the open sequence applies them.
    if (IsEnabled())
        FShared.Device.Apply(FShared.Settings());
}

void TCommPort::SetBaudRate(TBaudRate value)
{
    FBaudRate = value;
    if (value < kBaudRateCount)
        FShared.ChangeSettings([value](TLineSettings& s) { s.BaudRate = static_cast<uint32_t>(kBaudRates[value]); });
    WriteLineSettings();
}

void TCommPort::SetParity(TParity value)
{
    FShared.ChangeSettings([value](TLineSettings& s) { s.Parity = value; });
    WriteLineSettings();
}

void TCommPort::SetStopBits(TStopBits value)
{
    FShared.ChangeSettings([value](TLineSettings& s) { s.StopBits = value; });
    WriteLineSettings();
    BitsWarning();
}

void TCommPort::SetDataBits(uint16_t value)
{
    const uint8_t bits = static_cast<uint8_t>(value >= 5 && value <= 8 ? value : 8);
    FShared.ChangeSettings([bits](TLineSettings& s) { s.ByteSize = bits; });
    WriteLineSettings();
    BitsWarning();
}

void TCommPort::SetXonLim(uint16_t value)
{
    FShared.ChangeSettings([value](TLineSettings& s) { s.XonLim = value; });
    WriteLineSettings();
}

void TCommPort::SetXoffLim(uint16_t value)
{
    const auto limit = static_cast<uint16_t>(std::min<uint32_t>(value, std::min<uint32_t>(FInSize, 65535)));
    FShared.ChangeSettings([limit](TLineSettings& s) { s.XoffLim = limit; });
    WriteLineSettings();
}

void TCommPort::SetXonChar(uint8_t value)
{
    FShared.ChangeSettings([value](TLineSettings& s) { s.XonChar = value; });
    WriteLineSettings();
}

void TCommPort::SetXoffChar(uint8_t value)
{
    FShared.ChangeSettings([value](TLineSettings& s) { s.XoffChar = value; });
    WriteLineSettings();
}

void TCommPort::SetEventChar(uint8_t value)
{
    // The read thread looks for the character in every batch it reads.
    FShared.ChangeSettings([value](TLineSettings& s) { s.EvtChar = value; });
    WriteLineSettings();
}

void TCommPort::SetBaud(int32_t value)
{
    for (int i = 0; i < kBaudRateCount; ++i)
        if (kBaudRates[i] == value) {
            SetBaudRate(static_cast<TBaudRate>(i));
            return;
        }
}

int32_t TCommPort::GetBaud() const
{
    return FBaudRate < kBaudRateCount ? kBaudRates[FBaudRate] : 0;
}

void TCommPort::BitsWarning()
{
    const TLineSettings settings = LineSettings();
    if (settings.ByteSize == 5 && settings.StopBits == sb2_0)
        MessageBox("Invalid combination (5 data bits with 2 stop bits)", kWarningCaption, MB_ICONWARNING);
    else if (settings.ByteSize != 5 && settings.StopBits == sb1_5)
        MessageBox("Invalid combination (6,7 or 8 data bits with 1.5 stop bits)", kWarningCaption, MB_ICONWARNING);
}

void TCommPort::FlushInBuffer()
{
    if (IsEnabled())
        FShared.Device.Purge(TSerialDevice::TPurge::Receive);
    FShared.In.Clear();
    // A full ring had stopped the read thread; the room is there again.
    if (FOpen)
        FShared.ReceiveRequest.Set();
}

void TCommPort::FlushOutBuffer()
{
    if (IsEnabled())
        FShared.Device.Purge(TSerialDevice::TPurge::Transmit);
    FShared.Out.Clear(&FShared.Transmit);
}

bool TCommPort::GetModemState(int32_t selector)
{
    static constexpr uint32_t masks[]
        = {TSerialDevice::ModemCts, TSerialDevice::ModemDsr, TSerialDevice::ModemRing, TSerialDevice::ModemDcd};
    uint32_t bits = 0;
    if (selector < 1 || selector > 4 || !IsEnabled() || !FShared.Device.ModemStatus(bits))
        return false;
    return (bits & masks[selector - 1]) != 0;
}

void TCommPort::PowerOn()
{
    FShared.Device.Escape(TSerialDevice::TEscape::SetDtr);
    FShared.Device.Escape(TSerialDevice::TEscape::SetRts);
    FDTR = FRTS = true;
}

void TCommPort::PowerOff()
{
    FShared.Device.Escape(TSerialDevice::TEscape::ClrDtr);
    FShared.Device.Escape(TSerialDevice::TEscape::ClrRts);
    FDTR = FRTS = false;
}

void TCommPort::SetDTR(bool value)
{
    if (!IsEnabled())
        FDTR = value;
    else if (FShared.Device.Escape(value ? TSerialDevice::TEscape::SetDtr : TSerialDevice::TEscape::ClrDtr))
        FDTR = value;
}

void TCommPort::SetRTS(bool value)
{
    if (!IsEnabled())
        FRTS = value;
    else if (FShared.Device.Escape(value ? TSerialDevice::TEscape::SetRts : TSerialDevice::TEscape::ClrRts))
        FRTS = value;
}

bool TCommPort::SetBreak(bool value)
{
    if (!IsEnabled())
        return false;
    return FShared.Device.Escape(value ? TSerialDevice::TEscape::SetBreak : TSerialDevice::TEscape::ClrBreak);
}

void TCommPort::SendBreak(uint16_t ticks)
{
    SetBreak(true);
    if (ticks > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(55 * ticks));
    SetBreak(false);
}

void TCommPort::AnnounceData()
{
    if (OnDataReceived)
        OnDataReceived(this, FShared.In.Used());
}

void TCommPort::DispatchLineEvents()
{
    const uint32_t mask = FShared.LastEventMask.exchange(0);
    const uint64_t generation = FGeneration;
    const std::pair<uint32_t, TNotifyEvent*> handlers[] = {
        {EV_CTS, &OnCTSSignal},     {EV_RLSD, &OnDCDSignal},    {EV_DSR, &OnDSRSignal},
        {EV_RING, &OnRingSignal},   {EV_RXCHAR, &OnRxDSignal},  {EV_RXFLAG, &OnRxEventSignal},
        {EV_TXEMPTY, &OnTxDSignal}, {EV_BREAK, &OnBreakSignal},
    };
    // A handler may close (and reopen) the port; events of the old opening
    // are not passed on after that.
    const auto stillOpen = [&] { return FOpen && FGeneration == generation; };
    for (const auto& [bit, handler] : handlers)
        if ((mask & bit) && *handler && stillOpen())
            (*handler)(this);
    const bool lostNow = stillOpen() && FShared.Lost.load() && !FLostShown;
    if ((mask & EV_ERR) && OnErrorSignal && stillOpen())
        OnErrorSignal(this, lostNow ? FShared.LostError.load() : errno);
    if (lostNow && stillOpen()) {
        FLostShown = true;
        // Shown once this hand-over has returned, so no worker waits while
        // the box is open.
        const std::string text = "COM port lost\n" + FDeviceName + " (COM" + std::to_string(FComNumber)
            + "): " + std::strerror(FShared.LostError.load())
            + "\nClose the port, reconnect the device and open the port again";
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [alive = FAlive, text] {
                if (*alive)
                    MessageBox(text, kErrorCaption, MB_ICONERROR);
            },
            Qt::QueuedConnection);
    }
}
