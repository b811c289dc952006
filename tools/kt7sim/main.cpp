// kt7sim: a KT7-CU controller on a pseudo-terminal, for trying and testing
// the tool without hardware.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <poll.h>
#include <stdexcept>
#include <thread>

#include "tools/kt7sim/TSimController.h"
#include "tools/kt7sim/TSimOptions.h"
#include "tools/kt7sim/TSimPty.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

void installStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: poll() returns so the loop can end
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void loadImage(const std::string& path, TSimController::Memory& memory)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot open " + path);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    if (bytes.size() != memory.size())
        throw std::runtime_error(path + " does not hold 2048 bytes");
    std::memcpy(memory.data(), bytes.data(), memory.size());
}

void dumpImage(const std::string& path, const TSimController::Memory& memory)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(memory.data()), std::streamsize(memory.size()));
    if (!file.flush())
        throw std::runtime_error("cannot write " + path);
}

void serve(TSimPty& pty, TSimController& controller, int gapMs, int delayMs)
{
    while (!stopRequested && !controller.lineClosed()) {
        pollfd p{pty.fd(), POLLIN, 0};
        const int ready = poll(&p, 1, 200);
        if (ready < 0 && errno != EINTR)
            throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
        if (ready <= 0 || !(p.revents & POLLIN))
            continue;
        const auto bytes = pty.receive();
        const auto replies = controller.consume(bytes.data(), bytes.size());
        const int holdMs = delayMs + controller.takeHoldMs();
        if (!replies.empty() && holdMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
        pty.send(replies, gapMs);
    }
}

} // namespace

int main(int argc, char** argv)
{
    TSimOptions options;
    try {
        options = TSimOptions::parse(argc, argv);
    } catch (const std::invalid_argument& e) {
        std::cerr << "kt7sim: " << e.what() << '\n';
        return 2;
    }
    if (options.help) {
        std::cout << TSimOptions::usage();
        return 0;
    }
    try {
        TSimController controller(options.serial, options.faults);
        if (!options.imagePath.empty())
            loadImage(options.imagePath, controller.memory());
        installStopHandlers();
        TSimPty pty(options.baud);
        if (options.com > 0)
            pty.publishAs(options.com);
        std::cout << pty.deviceName() << std::endl;
        serve(pty, controller, options.gapMs, options.delayMs);
        if (controller.lineClosed())
            pty.drain();
        pty.close();
        if (!options.dumpPath.empty())
            dumpImage(options.dumpPath, controller.memory());
    } catch (const std::exception& e) {
        std::cerr << "kt7sim: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
