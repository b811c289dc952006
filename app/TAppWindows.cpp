#include "app/TAppWindows.h"

#include "app/TFormProjectName.h"
#include "app/TFormWord.h"
#include "app/TMain.h"
#include "app/TSetComPort.h"
#include "diag/TDbg.h"
#include "diag/TFormPort.h"

namespace {
template <class T> void release(T*& window)
{
    delete window;
    window = nullptr;
}
} // namespace

TAppWindows::TAppWindows()
{
    Main = new TMain;
    Dbg = new TDbg;
    FormPort = new TFormPort;
    SetComPort = new TSetComPort;
    FormProjectName = new TFormProjectName;
    FormWord = new TFormWord;
    for (QWidget* window : std::initializer_list<QWidget*>{Dbg, FormPort, FormWord})
        window->setAttribute(Qt::WA_QuitOnClose, false);
    Main->connectWindows();
    Main->show();
}

TAppWindows::~TAppWindows()
{
    release(FormWord);
    release(FormProjectName);
    release(SetComPort);
    release(FormPort);
    release(Dbg);
    release(Main);
}
