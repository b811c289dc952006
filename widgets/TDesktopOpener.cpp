#include "widgets/TDesktopOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {
// xdg-open returns once the application has the document; one that does
// not return in this time is taken to be showing it.
constexpr int OpenerWaitMs = 10000;
} // namespace

bool TDesktopOpener::open(const QString& path)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({path});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    if (!process->waitForFinished(OpenerWaitMs)) {
        // Still working at it: left to end on its own.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return opened;
}
