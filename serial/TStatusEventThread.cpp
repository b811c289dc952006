#include "serial/TStatusEventThread.h"

#include "serial/TCommShared.h"

void TStatusEventThread::Execute()
{
    while (!Terminated()) {
        FShared.StatusNote.Wait();
        if (Terminated())
            break;
        Synchronize(FDispatch);
    }
}
