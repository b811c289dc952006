// Start-up cost of the program against a bare window of the same toolkit,
// measured as whole processes: the bench starts itself again as a child that
// either sets up the application and builds the program's windows as
// kt7config does, or shows a bare QMainWindow; either child quits once its
// main window is first exposed. The children run offscreen, the two kinds
// interleaved, and the CPU time (user and system) of each whole process is
// taken from the kernel when it ends. Prints the medians and their ratio.

#include "app/TAppWindows.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* AppFlag = "--child-app";
constexpr const char* BareFlag = "--child-bare";
constexpr int Runs = 31;

class ExposeWatch : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (!m_seen && (event->type() == QEvent::Expose || event->type() == QEvent::Paint)) {
            m_seen = true;
            // Ends here, as both kinds of child: what is measured is the
            // start-up, not the closing of windows and the files it writes.
            std::fflush(stdout);
            _exit(0);
        }
        return false;
    }

private:
    bool m_seen = false;
};

int child(int argc, char** argv, bool app)
{
    QCoreApplication::setApplicationName("kt7config");
    QApplication application(argc, argv);
    ExposeWatch watch;
    application.installEventFilter(&watch);
    if (app) {
        TAppWindows::setUpApplication(application);
        TAppWindows windows;
        return QApplication::exec();
    }
    QMainWindow bare;
    bare.show();
    return QApplication::exec();
}

// CPU milliseconds of one whole child process; negative on failure.
double oneRun(const char* self, const char* flag)
{
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        execl(self, self, flag, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR)
            return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], AppFlag) == 0)
        return child(argc, argv, true);
    if (argc > 1 && std::strcmp(argv[1], BareFlag) == 0)
        return child(argc, argv, false);

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The path this program was started by, which the children start again.
    std::unique_ptr<char, decltype(&std::free)> self(realpath("/proc/self/exe", nullptr), &std::free);
    if (!self) {
        std::fputs("start-up: cannot find the bench's own program\n", stderr);
        return 1;
    }
    std::vector<double> app;
    std::vector<double> bare;
    for (int run = 0; run < Runs; ++run) {
        // Alternating which goes first keeps a drift of the machine's load
        // from favouring either.
        const bool appFirst = run % 2 == 0;
        const double first = oneRun(self.get(), appFirst ? AppFlag : BareFlag);
        const double second = oneRun(self.get(), appFirst ? BareFlag : AppFlag);
        if (first < 0 || second < 0) {
            std::fputs("start-up: a child did not show its main window and end\n", stderr);
            return 1;
        }
        app.push_back(appFirst ? first : second);
        bare.push_back(appFirst ? second : first);
    }
    const double a = median(app);
    const double b = median(bare);
    std::printf("start-up CPU time to the first shown main window, whole processes, offscreen, %d runs each, "
                "interleaved:\n  kt7config median %.1f ms, bare QMainWindow median %.1f ms, ratio %.2f\n",
                Runs, a, b, a / b);
    return 0;
}
