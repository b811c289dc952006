#include "app/TAppWindows.h"
#include "app/TCommandLine.h"
#include "app/TMain.h"
#include "widgets/TDialogs.h"

#include <QApplication>
#include <exception>
#include <memory>

namespace {
QStringList argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName("kt7config");
    QCoreApplication::setApplicationVersion(QStringLiteral(KT7CONFIG_VERSION));
    if (TCommandLine::asksForText(argumentsOf(argc, argv))) {
        QCoreApplication app(argc, argv);
        TAppWindows::translate(app);
        // Prints the text asked for and ends the process.
        TCommandLine::projectFile(QCoreApplication::arguments());
        return 0;
    }

    QApplication app(argc, argv);
    TAppWindows::setUpApplication(app);
    const QString project = TCommandLine::projectFile(QCoreApplication::arguments());
    std::unique_ptr<TAppWindows> windows;
    try {
        windows = std::make_unique<TAppWindows>();
    } catch (const std::exception& e) {
        Dlg::error(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    // Opened once the window is up, so that a box about it appears over it.
    if (!project.isEmpty())
        QMetaObject::invokeMethod(
            Main, [project] { Main->OpenAtStart(project); }, Qt::QueuedConnection);
    return QApplication::exec();
}
