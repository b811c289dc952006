#include "app/TDialogs.h"
#include "app/TMain.h"
#include "link/TDbg.h"
#include "link/TFormPort.h"
#include "link/TSetComPort.h"
#include "project/TFormProjectName.h"
#include "report/TFormWord.h"

#include <QApplication>
#include <QIcon>
#include <exception>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("kt7config");
    QApplication::setDesktopFileName("kt7config");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kt7config.svg")));
    try {
        // The windows live for the whole run, created in this order.
        Main = new TMain;
        Dbg = new TDbg;
        FormPort = new TFormPort;
        SetComPort = new TSetComPort;
        FormProjectName = new TFormProjectName;
        FormWord = new TFormWord;
        // Only closing the main window ends the run, whatever else is shown.
        for (QWidget* window : std::initializer_list<QWidget*>{Dbg, FormPort, FormWord})
            window->setAttribute(Qt::WA_QuitOnClose, false);
        Main->connectWindows();
        Main->show();
    } catch (const std::exception& e) {
        Dlg::error(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    const int result = QApplication::exec();
    delete FormWord;
    delete FormProjectName;
    delete SetComPort;
    delete FormPort;
    delete Dbg;
    delete Main;
    return result;
}
