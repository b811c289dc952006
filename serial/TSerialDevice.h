#pragma once

#include <atomic>
#include <cstdint>
#include <string>

struct TLineSettings;

// One open serial device (a tty) and the calls the component makes on it.
// All calls are plain system calls on the descriptor and may be made from
// any thread while the device is open.
class TSerialDevice {
public:
    // Modem-status bits as the component reports them.
    static constexpr uint32_t ModemCts = 0x10;
    static constexpr uint32_t ModemDsr = 0x20;
    static constexpr uint32_t ModemRing = 0x40;
    static constexpr uint32_t ModemDcd = 0x80;

    enum class TEscape { SetRts = 3, ClrRts = 4, SetDtr = 5, ClrDtr = 6, SetBreak = 8, ClrBreak = 9 };
    enum class TPurge { Receive, Transmit };

    struct TLineCounters {
        uint32_t Breaks = 0;
        uint32_t Errors = 0; // framing, parity and overruns together
    };

    TSerialDevice() = default;
    ~TSerialDevice();
    TSerialDevice(const TSerialDevice&) = delete;
    TSerialDevice& operator=(const TSerialDevice&) = delete;

    // Opens `path` for exclusive use. 0 or an errno value; EBUSY when
    // another program holds the device. The line settings found are kept.
    int Open(const std::string& path);
    // Gives the device back as it was found: the line settings of the open
    // restored, and open to others again.
    void Close();
    bool IsOpen() const { return FFd >= 0; }
    int Handle() const { return FFd; }

    bool Apply(const TLineSettings& settings);
    int InQueue() const;  // bytes the driver holds for reading, -1 on failure
    int OutQueue() const; // bytes the driver still has to send, -1 on failure
    bool ModemStatus(uint32_t& bits) const;
    bool LineCounters(TLineCounters& counters) const;
    bool Escape(TEscape function);
    bool Purge(TPurge side);

    // errno of the most recent failed call since ClearLastError.
    int LastError() const { return FLastError.load(); }
    void ClearLastError() { FLastError.store(0); }

    // 0 when `path` can be opened exclusively right now, else an errno value.
    static int Probe(const std::string& path);

private:
    bool Check(bool ok) const;
    static int OpenExclusive(const std::string& path);

    int FFd = -1;
    mutable std::atomic<int> FLastError{0};
    // The kernel's line-settings record at open (termios2, which cannot be
    // named here beside <termios.h>); valid while FHaveFound.
    alignas(8) unsigned char FFound[64] = {};
    bool FHaveFound = false;
    bool FLowLatencySet = false; // the open asked the driver for low latency
};
