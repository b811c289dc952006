// Runs the kt7sim executable and talks to it through its pseudo-terminal.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "link/TFrameChecksum.h"
#include "link/TRequestFrames.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// kt7sim with XDG_CONFIG_HOME pointing at a scratch folder; the first line
// of its output names the device.
class SimProcess {
public:
    SimProcess(std::vector<std::string> args, const fs::path& configHome)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        args.insert(args.begin(), KT7SIM_PATH);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (posix_spawn(&m_pid, KT7SIM_PATH, &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char c;
        pollfd p{out[0], POLLIN, 0};
        while (poll(&p, 1, 5000) > 0 && read(out[0], &c, 1) == 1 && c != '\n')
            m_device += c;
        close(out[0]);
    }
    ~SimProcess() { stop(); }

    const std::string& device() const { return m_device; }

    int stop()
    {
        int status = -1;
        if (m_pid > 0 && kill(m_pid, SIGTERM) == 0)
            waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    std::string m_device;
};

int openRaw(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

Bytes exchange(int fd, const uint8_t* request, size_t size, size_t expected)
{
    Bytes got;
    if (write(fd, request, size) != static_cast<ssize_t>(size))
        return got;
    uint8_t buf[256];
    pollfd p{fd, POLLIN, 0};
    while (got.size() < expected && poll(&p, 1, 3000) > 0) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

Bytes fileBytes(const fs::path& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

} // namespace

TEST(SimPty, ReadsAndWritesABlockThroughTheTerminal)
{
    char dirTemplate[] = "/tmp/kt7sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const fs::path dir = dirTemplate;
    Bytes image(2048);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i ^ 0x5A);
    std::ofstream(dir / "in.usr", std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 2048);

    SimProcess sim({"--image", (dir / "in.usr").string(), "--dump", (dir / "out.usr").string(), "--com", "7"}, dir);
    ASSERT_FALSE(sim.device().empty());
    const fs::path link = dir / "kt7config" / "ports" / "com7";
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), sim.device());

    const int fd = openRaw(link.string());
    ASSERT_GE(fd, 0);

    const auto start = std::chrono::steady_clock::now();
    const auto read = TRequestFrames::read(0x0020);
    const Bytes reply = exchange(fd, read.data(), read.size(), 39);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(reply.size(), 39u);
    EXPECT_EQ(reply[5], 0x20);
    EXPECT_TRUE(std::equal(reply.begin() + 6, reply.begin() + 38, image.begin() + 0x20));
    EXPECT_EQ(reply[38], TFrameChecksum::over(reply.data(), 38));
    // 7 + 39 bytes at 9600 bit/s, 10 bits a byte, take 48 ms on the line.
    EXPECT_GE(elapsed, std::chrono::milliseconds(45));

    uint8_t data[32];
    for (int i = 0; i < 32; ++i)
        data[i] = static_cast<uint8_t>(0xF0 - i);
    const auto write = TRequestFrames::write(0x07E0, data);
    const Bytes echo = exchange(fd, write.data(), write.size(), 39);
    ASSERT_EQ(echo.size(), 39u);
    EXPECT_TRUE(std::equal(echo.begin() + 6, echo.begin() + 38, data));
    close(fd);

    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    std::copy(data, data + 32, image.begin() + 0x07E0);
    EXPECT_EQ(fileBytes(dir / "out.usr"), image);
    fs::remove_all(dir);
}

TEST(SimPty, ClosesTheLineAfterTheChosenBlock)
{
    char dirTemplate[] = "/tmp/kt7sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const fs::path dir = dirTemplate;
    SimProcess sim({"--baud", "0", "--close-after", "1", "--dump", (dir / "out.usr").string()}, dir);
    const int fd = openRaw(sim.device());
    ASSERT_GE(fd, 0);
    const auto read = TRequestFrames::read(0);
    EXPECT_EQ(exchange(fd, read.data(), read.size(), 39).size(), 39u);
    // The simulator ends by itself and the terminal is gone.
    for (int i = 0; i < 50 && fs::exists(dir / "out.usr") == false; ++i)
        usleep(20000);
    EXPECT_TRUE(fs::exists(dir / "out.usr"));
    EXPECT_TRUE(exchange(fd, read.data(), read.size(), 39).empty());
    close(fd);
    EXPECT_EQ(sim.stop(), 0);
    fs::remove_all(dir);
}
