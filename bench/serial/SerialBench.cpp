// Figures of the serial port component over a pseudo-terminal pair:
// reception latency, throughput through both rings, idle CPU.
#include "serial/TCommPort.h"
#include "serial/TPortMap.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <random>
#include <stdlib.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double CpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

template <class Done> bool Pump(Done done, int ms)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return true;
}

int OpenPeer(int number)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return -1;
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    const std::filesystem::path folder = TPortMap::OverrideFolder();
    std::filesystem::create_directories(folder);
    const auto link = folder / ("com" + std::to_string(number));
    std::filesystem::remove(link);
    std::filesystem::create_symlink(ptsname(master), link);
    return master;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Latency(TCommPort& port, int peer)
{
    Clock::time_point arrived;
    bool seen = false;
    port.OnDataReceived = [&](TCommPort* sender, uint32_t) {
        uint8_t buffer[256];
        while (sender->GetBlock(buffer, sizeof buffer) > 0) {}
        arrived = Clock::now();
        seen = true;
    };
    std::vector<double> idle, reply;
    for (int trial = 0; trial < 50; ++trial) {
        Pump([] { return false; }, 120); // line quiet, status thread waiting
        seen = false;
        const auto sent = Clock::now();
        [[maybe_unused]] ssize_t k = ::write(peer, "x", 1);
        Pump([&] { return seen; }, 1000);
        idle.push_back(Ms(arrived - sent));
    }
    for (int trial = 0; trial < 50; ++trial) {
        Pump([] { return false; }, 120);
        seen = false;
        port.PutBlock("\x00\x01\x04\x55\x74", 5);
        char request[16];
        pollfd fd{peer, POLLIN, 0};
        ::poll(&fd, 1, 1000);
        [[maybe_unused]] ssize_t r = ::read(peer, request, sizeof request);
        // On a pseudo-terminal the transmit queue empties when the peer has
        // read the request; the status pause runs from there.
        const auto emptied = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(2)); // device turn-around
        [[maybe_unused]] ssize_t k = ::write(peer, "reply", 5);
        Pump([&] { return seen; }, 1000);
        reply.push_back(Ms(arrived - emptied) - 50.0);
    }
    std::printf("latency, idle line, peer write -> OnDataReceived: median %.3f ms, max %.3f ms (50 trials)\n",
                Median(idle), *std::max_element(idle.begin(), idle.end()));
    std::printf("latency, reply 2 ms after a request: OnDataReceived beyond the 50 ms status pause: "
                "median %.3f ms, max %.3f ms (50 trials)\n",
                Median(reply), *std::max_element(reply.begin(), reply.end()));
}

void Throughput(TCommPort& port, int peer, size_t total)
{
    std::string out(total, '\0'), in(total, '\0');
    std::mt19937 gen(1);
    for (size_t i = 0; i < total; ++i) {
        out[i] = static_cast<char>(gen());
        in[i] = static_cast<char>(gen());
    }
    size_t received = 0;
    bool intact = true;
    std::vector<uint8_t> chunk(4096);
    port.OnDataReceived = [&](TCommPort* sender, uint32_t) {
        uint32_t n;
        while ((n = sender->GetBlock(chunk.data(), static_cast<uint32_t>(chunk.size()))) > 0) {
            intact = intact && std::memcmp(chunk.data(), in.data() + received, n) == 0;
            received += n;
        }
    };
    size_t echoed = 0;
    Clock::time_point inDone, outDone;
    const auto start = Clock::now();
    std::thread writer([&] {
        size_t sent = 0, got = 0;
        char buffer[8192];
        while (sent < total || got < total) {
            if (sent < total) {
                const ssize_t k = ::write(peer, in.data() + sent, std::min<size_t>(4096, total - sent));
                if (k > 0)
                    sent += static_cast<size_t>(k);
            }
            const ssize_t r = ::read(peer, buffer, sizeof buffer);
            if (r > 0) {
                got += static_cast<size_t>(r);
                if (got == total)
                    outDone = Clock::now();
            } else if (sent >= total) {
                pollfd fd{peer, POLLIN, 0};
                ::poll(&fd, 1, 5);
            }
        }
        echoed = got;
    });
    size_t queued = 0;
    while (queued < total || received < total) {
        if (queued < total)
            queued += port.PutBlock(out.data() + queued, static_cast<uint32_t>(std::min<size_t>(4096, total - queued)));
        QCoreApplication::processEvents();
        if (received == total && inDone == Clock::time_point())
            inDone = Clock::now();
        if (port.GetOutBuffFree() == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    if (inDone == Clock::time_point())
        inDone = Clock::now();
    writer.join();
    std::printf("throughput, %zu bytes each way at once (rings %u/%u): in %.0f bytes/s, out %.0f bytes/s, intact %s\n",
                total, port.InSize(), port.OutSize(), total / (Ms(inDone - start) / 1e3),
                echoed / (Ms(outDone - start) / 1e3), intact ? "yes" : "NO");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    char folder[] = "/tmp/kt7benchXXXXXX";
    if (!mkdtemp(folder))
        return 1;
    setenv("XDG_CONFIG_HOME", folder, 1);
    const int peer = OpenPeer(1);
    if (peer < 0)
        return 1;

    TCommPort port;
    port.SetComNumber(1);
    port.SetOpen(true);
    if (!port.Open())
        return 1;

    Latency(port, peer);
    Throughput(port, peer, 4u << 20);
    port.SetIBuffSize(65536);
    port.SetOBuffSize(65536);
    Throughput(port, peer, 4u << 20);
    port.SetIBuffSize(2048);
    port.SetOBuffSize(4096);

    port.OnDataReceived = nullptr;
    const double before = CpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::printf("idle CPU of an open port over 2 s: %.2f ms (%.3f %%)\n", CpuMs() - before, (CpuMs() - before) / 20.0);

    const auto t0 = Clock::now();
    for (int i = 0; i < 200; ++i) {
        port.SetOpen(false);
        port.SetOpen(true);
    }
    std::printf("close + open cycle: %.3f ms\n", Ms(Clock::now() - t0) / 200);

    port.SetOpen(false);
    ::close(peer);
    std::filesystem::remove_all(folder);
    return 0;
}
