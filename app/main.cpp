#include "app/TDialogs.h"
#include "app/TMain.h"
#include "link/TDbg.h"
#include "link/TFormPort.h"
#include "report/TFormWord.h"

#include <QApplication>
#include <exception>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("kt7config");
    try {
        // The windows live for the whole run, created in this order.
        Main = new TMain;
        Dbg = new TDbg;
        FormPort = new TFormPort;
        FormWord = new TFormWord;
        Main->connectWindows();
        Main->show();
    } catch (const std::exception& e) {
        Dlg::error(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    const int result = QApplication::exec();
    delete FormWord;
    delete FormPort;
    delete Dbg;
    delete Main;
    return result;
}
