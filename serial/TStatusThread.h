#pragma once

#include "serial/TSerialDevice.h"
#include "serial/TThread.h"

#include <cstdint>

class TCommShared;

// Waits for line events of the port and passes them on: received bytes wake
// the read thread, every event wakes the status-event thread.
class TStatusThread : public TThread {
public:
    // mask: the line-event bits to pass on.
    TStatusThread(TCommShared& shared, uint32_t mask);

protected:
    void Execute() override;

private:
    uint32_t WaitLineEvent();
    bool SleepUnlessStopped(int milliseconds);
    uint32_t Collect(bool block);
    uint32_t ModemChanges();
    uint32_t ReportLoss();

    TCommShared& FShared;
    const int FHandle;
    const uint32_t FMask;
    uint32_t FModemBits = 0;
    bool FModemKnown = false;
    TSerialDevice::TLineCounters FCounters;
    bool FCountersKnown = false;
    bool FLostReported = false;
};
