// kt7tool show, show --json and diff on a project with every section in use
// (12 splitters, consoles, paging, music, all 24 algorithms with five stages),
// timed from the program's start to its end; the target is 20 ms each.

#include "image/TAlarmRecord.h"
#include "project/TImageFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Runs = 25;
constexpr double TargetMs = 20;

TImage busy(int seed)
{
    TImage image;
    image.setByte(Layout::CompositionByte, 0xBF);
    image.setByte(Layout::ModuleByte, 0xF0);
    for (int i = Layout::MusicMask; i < 40; ++i)
        image.setByte(i, static_cast<uint8_t>(0x5A ^ seed));
    for (int i = Layout::ButtonTable; i < Layout::FirstUnused; ++i)
        image.setByte(i, static_cast<uint8_t>(i * 13 + seed));
    for (int input = 1; input <= Layout::InputCount; ++input) {
        TAlarmRecord record(image, input);
        for (int k = 1; k <= Layout::StageCount; ++k) {
            TStageRecord stage = record.stage(k);
            for (int b = 0; b < Layout::StageSize; ++b)
                image.setByte(stage.offset() + b, static_cast<uint8_t>(input * 31 + k * 7 + b * seed));
            stage.setDuration(static_cast<uint8_t>(1 + (input + k + seed) % 240));
        }
        record.setEnabled(true);
        record.setDelayCode(static_cast<uint8_t>((input + seed) % 27));
    }
    return image;
}

// Milliseconds from the start of kt7tool to its end, output to /dev/null.
double run(const std::vector<std::string>& arguments)
{
    const auto start = std::chrono::steady_clock::now();
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(KT7TOOL_PATH)};
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (!std::freopen("/dev/null", "w", stdout))
            _exit(127);
        execv(KT7TOOL_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1)
        std::fprintf(stderr, "kt7tool failed\n");
    return ms;
}

bool measure(const char* what, const std::vector<std::string>& arguments)
{
    std::vector<double> ms;
    for (int i = 0; i < Runs; ++i)
        ms.push_back(run(arguments));
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("kt7tool %-10s best %5.1f ms  median %5.1f ms  worst %5.1f ms | target %.0f ms\n", what, ms.front(),
                median, ms.back(), TargetMs);
    return median <= TargetMs;
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / ("kt7-bench-tool-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string a = (dir / "a.usr").string();
    const std::string b = (dir / "b.usr").string();
    if (!TImageFile::write(a, busy(3)) || !TImageFile::write(b, busy(5))) {
        std::fprintf(stderr, "cannot write the fixtures in %s\n", dir.c_str());
        return 1;
    }
    bool ok = measure("show", {"show", a});
    ok = measure("show json", {"show", a, "--json"}) && ok;
    ok = measure("diff", {"diff", a, b}) && ok;
    std::filesystem::remove_all(dir);
    return ok ? 0 : 1;
}
