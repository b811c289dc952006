#include "TBenchWindows.h"

#include "app/TMain.h"
#include "link/TDbg.h"
#include "link/TFormPort.h"
#include "link/TSetComPort.h"
#include "project/TFormProjectName.h"
#include "report/TFormWord.h"

TBenchWindows::TBenchWindows()
{
    Main = new TMain;
    Dbg = new TDbg;
    FormPort = new TFormPort;
    SetComPort = new TSetComPort;
    FormProjectName = new TFormProjectName;
    FormWord = new TFormWord;
    Main->connectWindows();
    Main->show();
}

TBenchWindows::~TBenchWindows()
{
    delete FormWord;
    delete FormProjectName;
    delete SetComPort;
    delete FormPort;
    delete Dbg;
    delete Main;
    FormWord = nullptr;
    FormProjectName = nullptr;
    SetComPort = nullptr;
    FormPort = nullptr;
    Dbg = nullptr;
    Main = nullptr;
}
