#include "app/TAppWindows.h"

#include "app/TFormProjectName.h"
#include "app/TFormWord.h"
#include "app/TMain.h"
#include "app/TQtRussian.h"
#include "app/TSetComPort.h"
#include "diag/TDbg.h"
#include "diag/TFormPort.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

namespace {
template <class T> void release(T*& window)
{
    delete window;
    window = nullptr;
}
} // namespace

void TAppWindows::translate(QCoreApplication& app)
{
    if (!TQtRussian::install(app))
        std::fputs("kt7config: Qt's Russian translation (qt6-translations-l10n) is not installed\n", stderr);
}

void TAppWindows::setUpApplication(QApplication& app)
{
    QApplication::setDesktopFileName("kt7config");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kt7config.svg")));
    translate(app);
}

TAppWindows::TAppWindows()
{
    Main = new TMain;
    Dbg = new TDbg;
    FormPort = new TFormPort;
    Main->setPortDialogMaker([] {
        if (!SetComPort)
            SetComPort = new TSetComPort;
        return SetComPort;
    });
    for (QWidget* window : std::initializer_list<QWidget*>{Dbg, FormPort})
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
