#include "serial/TReadEventThread.h"

#include "serial/TCommShared.h"

void TReadEventThread::Execute()
{
    while (!Terminated()) {
        FShared.DataReceivedNote.Wait();
        if (Terminated())
            break;
        Synchronize(FAnnounce);
    }
}
