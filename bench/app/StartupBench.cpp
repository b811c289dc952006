// Start-up cost of kt7config against a bare window of the same toolkit,
// measured as whole processes: the real kt7config, a program that shows a
// bare QMainWindow and the same program showing one line of text are started
// offscreen, interleaved, and each is ended once it has settled (asleep, its
// CPU time unchanged for a while).
// Its CPU time (user and system) up to then comes from the kernel when it
// ends; a settled process spends none, so this is the cost of starting up and
// showing the window. Prints the medians and kt7config's ratios to both.
// Another build of kt7config may be named as the argument.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Runs = 21;
constexpr auto Poll = std::chrono::milliseconds(25);
// Asleep with no CPU time spent for this many polls in a row: settled.
constexpr int SettledPolls = 8;
constexpr auto GiveUp = std::chrono::seconds(30);

// The process's state letter and its CPU clock ticks so far; false once it
// has gone.
bool sample(pid_t pid, char& state, long long& ticks)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    // The command name in parentheses may hold blanks; the fields follow it.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    rest >> state;
    for (int i = 4; i <= 13; ++i)
        rest >> field;
    long long user = 0;
    long long system = 0;
    rest >> user >> system;
    ticks = user + system;
    return true;
}

// CPU milliseconds of one whole process; negative on failure.
double oneRun(const std::string& program, const char* option = nullptr)
{
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        // The toolkit's notes on what the offscreen platform cannot do would
        // only clutter the figures.
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execl(program.c_str(), program.c_str(), option, static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto start = std::chrono::steady_clock::now();
    long long last = -1;
    int quiet = 0;
    while (quiet < SettledPolls && std::chrono::steady_clock::now() - start < GiveUp) {
        std::this_thread::sleep_for(Poll);
        char state = '?';
        long long ticks = 0;
        if (!sample(pid, state, ticks))
            break;
        quiet = (state == 'S' && ticks == last) ? quiet + 1 : 0;
        last = ticks;
    }
    kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR)
            return -1;
    // Killed as planned; an end of its own is a failure to start.
    if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL || quiet < SettledPolls)
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
    const std::string program = argc > 1 ? argv[1] : KT7CONFIG_PATH;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Each run gets a home of its own, as on a first start.
    char home[] = "/tmp/kt7-startup-XXXXXX";
    if (!mkdtemp(home)) {
        std::perror("start-up: cannot make a home folder");
        return 1;
    }
    setenv("HOME", home, 1);
    setenv("XDG_CONFIG_HOME", (std::string(home) + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (std::string(home) + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home, 1);

    // The three in a turning order, so that a drift of the machine's load
    // favours none.
    struct Runner {
        std::string program;
        const char* option;
        std::vector<double> times;
    };
    Runner runners[] = {{program, nullptr, {}}, {BARE_WINDOW_PATH, nullptr, {}}, {BARE_WINDOW_PATH, "--text", {}}};
    int failed = 0;
    for (int run = 0; run < Runs; ++run) {
        double times[3];
        bool ok = true;
        for (int k = 0; k < 3; ++k) {
            const int which = (run + k) % 3;
            times[which] = oneRun(runners[which].program, runners[which].option);
            ok = ok && times[which] >= 0;
        }
        if (!ok) {
            ++failed;
            continue;
        }
        for (int which = 0; which < 3; ++which)
            runners[which].times.push_back(times[which]);
    }
    std::system((std::string("rm -rf ") + home).c_str());
    if (runners[0].times.empty()) {
        std::fputs("start-up: no run settled\n", stderr);
        return 1;
    }
    const double a = median(runners[0].times);
    const double b = median(runners[1].times);
    const double t = median(runners[2].times);
    std::printf("start-up CPU time of whole processes, offscreen, shown and settled, %zu runs each interleaved "
                "(%d failed):\n  kt7config median %.1f ms\n  bare QMainWindow median %.1f ms, ratio %.2f\n"
                "  bare QMainWindow with one line of text median %.1f ms, ratio %.2f\n",
                runners[0].times.size(), failed, a, b, a / b, t, a / t);
    return 0;
}
