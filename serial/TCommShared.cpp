#include "serial/TCommShared.h"

void TCommShared::ResetForOpen()
{
    LineWake.Clear();
    LastEventMask.store(0);
    PendingEvents.store(0);
    ReceiveArmed.store(true);
    OutputWritten.store(false);
    ModemKnown.store(false);
    Lost.store(false);
    LostError.store(0);
}

TLineSettings TCommShared::Settings() const
{
    std::lock_guard lock(FSettingsLock);
    return FSettings;
}

void TCommShared::NoteLineEvents(uint32_t events)
{
    PendingEvents.fetch_or(events);
    LineWake.Signal();
}

void TCommShared::NoteOutput()
{
    OutputWritten.store(true);
    LineWake.Signal();
}

void TCommShared::ArmReceive()
{
    if (!ReceiveArmed.exchange(true))
        LineWake.Signal();
}

void TCommShared::MarkLost(int error)
{
    if (Lost.exchange(true))
        return;
    LostError.store(error);
    LineWake.Signal();
}

void TCommShared::UpdateModemFlags(uint32_t bits)
{
    CTS = (bits & TSerialDevice::ModemCts) != 0;
    DSR = (bits & TSerialDevice::ModemDsr) != 0;
    DCD = (bits & TSerialDevice::ModemDcd) != 0;
    Ring = (bits & TSerialDevice::ModemRing) != 0;
}
