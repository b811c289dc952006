#include "serial/TReadEventThread.h"

#include "serial/TCommPort.h"

void TReadEventThread::Execute()
{
    while (!Terminated()) {
        FPort.FDataReceivedNote.Wait();
        if (Terminated())
            break;
        Synchronize([&port = FPort] { port.AnnounceData(); });
    }
}
