#pragma once

#include "serial/TSerialDevice.h"
#include "serial/TThread.h"

#include <cstdint>

class TCommPort;

// Waits for line events of the port and passes them on: received bytes wake
// the read thread, every event wakes the status-event thread.
class TStatusThread : public TThread {
public:
    explicit TStatusThread(TCommPort& port);

protected:
    void Execute() override;

private:
    uint32_t WaitLineEvent();
    bool SleepUnlessStopped(int milliseconds);
    uint32_t Collect(bool block);
    uint32_t ModemChanges();
    uint32_t ReportLoss();

    TCommPort& FPort;
    const int FHandle;
    const uint32_t FMask;
    uint32_t FModemBits = 0;
    bool FModemKnown = false;
    TSerialDevice::TLineCounters FCounters;
    bool FCountersKnown = false;
    bool FLostReported = false;
};
