#pragma once

#include "serial/TCommShared.h"

#include <atomic>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

enum TBaudRate : uint8_t {
    cbr110,
    cbr300,
    cbr600,
    cbr1200,
    cbr2400,
    cbr4800,
    cbr9600,
    cbr14400,
    cbr19200,
    cbr38400,
    cbr56000,
    cbr57600,
    cbr115200,
    cbr128000,
    cbr256000
};
enum TParity : uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits : uint8_t { sb1_0, sb1_5, sb2_0 };
enum TComControl : uint8_t { ccNone, ccSoft, ccHard };
enum TEventState : uint8_t { evRxChar, evRxEventChar, evTxEmpty, evCTS, evDSR, evRlsd, evBreak, evError, evRing };
// Element n stands for line-event bit 1 << n.
using TEventSet = std::bitset<9>;

class TStatusThread;
class TReadThread;
class TWriteThread;
class TReadEventThread;
class TStatusEventThread;

// One serial port: opened by number, line settings, and two rings that five
// worker threads move to and from the device. Every operation and every
// event handler runs on the user-interface thread.
class TCommPort {
public:
    static constexpr uint32_t EV_RXCHAR = TCommShared::EV_RXCHAR;
    static constexpr uint32_t EV_RXFLAG = TCommShared::EV_RXFLAG;
    static constexpr uint32_t EV_TXEMPTY = TCommShared::EV_TXEMPTY;
    static constexpr uint32_t EV_CTS = TCommShared::EV_CTS;
    static constexpr uint32_t EV_DSR = TCommShared::EV_DSR;
    static constexpr uint32_t EV_RLSD = TCommShared::EV_RLSD;
    static constexpr uint32_t EV_BREAK = TCommShared::EV_BREAK;
    static constexpr uint32_t EV_ERR = TCommShared::EV_ERR;
    static constexpr uint32_t EV_RING = TCommShared::EV_RING;
    static constexpr uint32_t EV_MODEM = TCommShared::EV_MODEM;

    static constexpr unsigned MB_ICONERROR = 0x10;
    static constexpr unsigned MB_ICONWARNING = 0x30;

    using TNotifyEvent = std::function<void(TCommPort* Sender)>;
    using TErrorEvent = std::function<void(TCommPort* Sender, int32_t Error)>;
    using TDataEvent = std::function<void(TCommPort* Sender, uint32_t Count)>;
    using TMessageBox = std::function<void(const std::string& Text, const std::string& Caption, unsigned Flags)>;

    // Where the component's own boxes go; prints to stderr until replaced.
    static TMessageBox MessageBox;

    TCommPort();
    ~TCommPort();
    TCommPort(const TCommPort&) = delete;
    TCommPort& operator=(const TCommPort&) = delete;

    int32_t ComNumber() const { return FComNumber; }
    bool Open() const { return FOpen; }
    bool DTR() const { return FDTR; }
    bool RTS() const { return FRTS; }
    bool CTS() const { return FShared.CTS.load(std::memory_order_relaxed); }
    bool DSR() const { return FShared.DSR.load(std::memory_order_relaxed); }
    bool DCD() const { return FShared.DCD.load(std::memory_order_relaxed); }
    bool Ring() const { return FShared.Ring.load(std::memory_order_relaxed); }
    uint32_t InSize() const { return FInSize; }
    uint32_t OutSize() const { return FOutSize; }
    TBaudRate BaudRate() const { return FBaudRate; }
    TComControl Control() const { return FControl; }
    TParity Parity() const { return static_cast<TParity>(LineSettings().Parity); }
    TStopBits StopBits() const { return static_cast<TStopBits>(LineSettings().StopBits); }
    uint16_t DataBits() const { return LineSettings().ByteSize; }
    uint16_t XonLim() const { return LineSettings().XonLim; }
    uint16_t XoffLim() const { return LineSettings().XoffLim; }
    uint8_t XonChar() const { return LineSettings().XonChar; }
    uint8_t XoffChar() const { return LineSettings().XoffChar; }
    uint8_t EventChar() const { return LineSettings().EvtChar; }
    // The one copy of the line settings; BaudRate and Control are kept apart
    // as the values set, since the record holds what they stand for.
    TLineSettings LineSettings() const { return FShared.Settings(); }

    TEventSet MonitorEvents;

    TNotifyEvent OnCTSSignal;
    TNotifyEvent OnDCDSignal;
    TNotifyEvent OnDSRSignal;
    TNotifyEvent OnRxDSignal;
    TNotifyEvent OnTxDSignal;
    TNotifyEvent OnRingSignal;
    TNotifyEvent OnBreakSignal;
    TNotifyEvent OnRxEventSignal;
    TErrorEvent OnErrorSignal;
    TDataEvent OnDataReceived;
    TErrorEvent OnOpen;
    TNotifyEvent OnClose;

    bool IsEnabled() const { return FShared.Device.IsOpen(); }
    // The device has gone away while open (hung up, unplugged): nothing more
    // is sent or received until the port is closed and opened again.
    bool Lost() const { return FOpen && FShared.Lost.load(); }
    // The device behind ComNumber as last opened (empty before).
    const std::string& DeviceName() const { return FDeviceName; }

    void SetOpen(bool value);
    void OpenPort();
    void ClosePort();
    void SetComNumber(int32_t value);
    void SetIBuffSize(uint32_t value);
    void SetOBuffSize(uint32_t value);

    uint32_t GetInBuffUsed() const { return FShared.In.Used(); }
    uint32_t GetOutBuffUsed() const { return FShared.Out.Used(); }
    uint32_t GetInBuffFree();
    uint32_t GetOutBuffFree();
    int32_t GetOutQueCount() const;

    bool CharReady() const { return FShared.In.Used() > 0; }
    uint8_t GetChar();
    void PutChar(uint8_t c);
    uint32_t PutString(const char* text);
    uint32_t PutBlock(const void* data, uint32_t length);
    uint32_t GetBlock(void* buffer, uint32_t length);

    void SetComControl(TComControl value);
    void SetBaudRate(TBaudRate value);
    void SetParity(TParity value);
    void SetStopBits(TStopBits value);
    void SetDataBits(uint16_t value);
    void SetXonLim(uint16_t value);
    void SetXoffLim(uint16_t value);
    void SetXonChar(uint8_t value);
    void SetXoffChar(uint8_t value);
    void SetEventChar(uint8_t value);
    void SetBaud(int32_t value);
    int32_t GetBaud() const;
    void BitsWarning();

    void FlushInBuffer();
    void FlushOutBuffer();
    bool GetModemState(int32_t selector);
    void PowerOn();
    void PowerOff();
    void SetDTR(bool value);
    void SetRTS(bool value);
    bool SetBreak(bool value);
    void SendBreak(uint16_t ticks);

private:
    void ApplySettings();
    // 0, or the errno value of the worker that could not be started.
    int StartThreads();
    // Ends whichever workers run; usable on a half-finished open.
    void StopThreads();
    // Writes the line-settings record to the open port.
    void WriteLineSettings();
    void ShowOpenError(const std::string& path, int error);

    // Run on the user-interface thread by the event threads.
    void AnnounceData();
    void DispatchLineEvents();

    int32_t FComNumber = 2;
    bool FOpen = false;
    bool FClosing = false;
    bool FDTR = false;
    bool FRTS = false;
    uint32_t FInSize = 2048;
    uint32_t FOutSize = 4096;
    TBaudRate FBaudRate = cbr9600;
    TComControl FControl = ccNone;
    std::string FDeviceName;

    // Everything the workers use.
    TCommShared FShared;
    bool FLostShown = false;
    // Counts the openings, so events of an earlier one are told apart.
    uint64_t FGeneration = 0;
    // Cleared by the destructor; a box posted for later checks it.
    std::shared_ptr<TCommPort*> FAlive = std::make_shared<TCommPort*>(this);

    std::unique_ptr<TStatusThread> FStatusThread;
    std::unique_ptr<TReadThread> FReadThread;
    std::unique_ptr<TWriteThread> FWriteThread;
    std::unique_ptr<TReadEventThread> FReadEventThread;
    std::unique_ptr<TStatusEventThread> FStatusEventThread;
};
