#include "serial/TStatusEventThread.h"

#include "serial/TCommPort.h"

void TStatusEventThread::Execute()
{
    while (!Terminated()) {
        FPort.FStatusNote.Wait();
        if (Terminated())
            break;
        Synchronize([&port = FPort] { port.DispatchLineEvents(); });
    }
}
