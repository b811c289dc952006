#include "app/TAppWindows.h"
#include "app/TDialogs.h"

#include <QApplication>
#include <QIcon>
#include <exception>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("kt7config");
    QApplication::setDesktopFileName("kt7config");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kt7config.svg")));
    std::unique_ptr<TAppWindows> windows;
    try {
        windows = std::make_unique<TAppWindows>();
    } catch (const std::exception& e) {
        Dlg::error(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    return QApplication::exec();
}
