#include "tools/kt7sim/TSimPty.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int BitsPerByte = 10; // start bit, 8 data bits, stop bit

std::runtime_error systemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

void makeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        throw systemError("tcgetattr");
    cfmakeraw(&tio);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        throw systemError("tcsetattr");
}

fs::path portsFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        return fs::path(config) / "kt7config" / "ports";
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        throw std::runtime_error("neither XDG_CONFIG_HOME nor HOME is set");
    return fs::path(home) / ".config" / "kt7config" / "ports";
}

} // namespace

TSimPty::TSimPty(unsigned baud)
{
    if (baud > 0)
        m_byteTime
            = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(double(BitsPerByte) / baud));
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        throw systemError("posix_openpt");
    const char* name = nullptr;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || !(name = ptsname(m_master))) {
        const auto error = systemError("pseudo-terminal");
        ::close(m_master);
        throw error;
    }
    m_slaveName = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        const auto error = systemError("open " + m_slaveName);
        ::close(m_master);
        throw error;
    }
    makeRaw(m_slave);
}

TSimPty::~TSimPty()
{
    close();
}

void TSimPty::publishAs(int com)
{
    const fs::path folder = portsFolder();
    fs::create_directories(folder);
    const fs::path link = folder / ("com" + std::to_string(com));
    std::error_code ignored;
    if (fs::is_symlink(fs::symlink_status(link, ignored)))
        fs::remove(link);
    fs::create_symlink(m_slaveName, link);
    m_linkPath = link.string();
}

std::vector<uint8_t> TSimPty::receive()
{
    std::vector<uint8_t> bytes(1024);
    const ssize_t n = ::read(m_master, bytes.data(), bytes.size());
    if (n <= 0)
        return {};
    bytes.resize(static_cast<size_t>(n));
    const auto now = Clock::now();
    m_inputEnds = std::max(m_inputEnds, now) + m_byteTime * n;
    return bytes;
}

void TSimPty::send(const std::vector<std::vector<uint8_t>>& chunks, int gapMs)
{
    bool first = true;
    for (const auto& chunk : chunks) {
        if (!first) {
            std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
        }
        first = false;
        if (m_byteTime == Clock::duration::zero()) {
            writeAll(chunk.data(), chunk.size());
            continue;
        }
        // Bytes leave one byte time apart on an absolute schedule, so sleeping
        // late never stretches the whole reply.
        m_outputEnds = std::max({m_outputEnds, m_inputEnds, Clock::now()});
        for (uint8_t byte : chunk) {
            m_outputEnds += m_byteTime;
            std::this_thread::sleep_until(m_outputEnds);
            writeAll(&byte, 1);
        }
    }
}

void TSimPty::writeAll(const uint8_t* bytes, size_t count)
{
    while (count > 0) {
        const ssize_t n = ::write(m_master, bytes, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw systemError("write");
        }
        bytes += n;
        count -= static_cast<size_t>(n);
    }
}

void TSimPty::drain()
{
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    // The terminal hands written bytes on to the reading side a little later.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    int waiting = 0;
    while (Clock::now() < deadline && ioctl(m_slave, FIONREAD, &waiting) == 0 && waiting > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void TSimPty::close()
{
    if (!m_linkPath.empty()) {
        std::error_code ignored;
        if (fs::read_symlink(m_linkPath, ignored) == m_slaveName)
            fs::remove(m_linkPath, ignored);
        m_linkPath.clear();
    }
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}
