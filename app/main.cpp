#include "app/TMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("kt7config");
    Main = new TMain;
    Main->show();
    const int result = QApplication::exec();
    delete Main;
    return result;
}
