// Start-up to the first shown main window, measured from outside the process:
// the bench starts itself again as a child that builds the program's windows
// like kt7config does and reports when the main window is first exposed; the
// parent times from the start of the child to that report, over several runs.

#include "app/TAppWindows.h"

#include "app/TMain.h"

#include <QApplication>
#include <QEvent>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr const char* ChildFlag = "--child";
constexpr int Runs = 11;

class ExposeWatch : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (!m_seen && (event->type() == QEvent::Expose || event->type() == QEvent::Paint)) {
            m_seen = true;
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            QCoreApplication::quit();
        }
        return false;
    }

private:
    bool m_seen = false;
};

int child(int argc, char** argv)
{
    QApplication app(argc, argv);
    ExposeWatch watch;
    app.installEventFilter(&watch);
    TAppWindows windows;
    return QApplication::exec();
}

// Milliseconds from the start of a child to its report; negative on failure.
double oneStart(const QString& program)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto start = std::chrono::steady_clock::now();
    process.start(program, {QString::fromLatin1(ChildFlag)});
    if (!process.waitForReadyRead(30000))
        return -1;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    process.waitForFinished(30000);
    return process.exitCode() == 0 ? ms : -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], ChildFlag) == 0)
        return child(argc, argv);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        const double ms = oneStart(QCoreApplication::applicationFilePath());
        if (ms < 0) {
            std::fputs("start-up: the child did not show its main window\n", stderr);
            return 1;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("start-up to first shown main window (offscreen): median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                times[Runs / 2], Runs, times.front(), times.back());
    return 0;
}
