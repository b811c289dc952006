#include "tests/serial/PtyPeer.h"

#include "serial/TPortMap.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

namespace fs = std::filesystem;

PtyPeer::PtyPeer()
{
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0)
        throw std::runtime_error("no pseudo-terminal");
    FSlave = ptsname(FMaster);
    fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
}

PtyPeer::~PtyPeer()
{
    Hangup();
}

void PtyPeer::LinkAs(int number) const
{
    const fs::path folder = TPortMap::OverrideFolder();
    fs::create_directories(folder);
    const fs::path link = folder / ("com" + std::to_string(number));
    fs::remove(link);
    fs::create_symlink(FSlave, link);
}

void PtyPeer::WriteAll(const void* data, size_t length) const
{
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t k = ::write(FMaster, p, length);
        if (k > 0) {
            p += k;
            length -= static_cast<size_t>(k);
        } else if (k < 0 && errno == EAGAIN) {
            pollfd fd{FMaster, POLLOUT, 0};
            ::poll(&fd, 1, 100);
        } else if (k < 0 && errno != EINTR) {
            throw std::runtime_error("pseudo-terminal write failed");
        }
    }
}

size_t PtyPeer::ReadFor(std::string& out, int ms) const
{
    size_t total = 0;
    char buffer[4096];
    pollfd fd{FMaster, POLLIN, 0};
    for (int wait = ms; ::poll(&fd, 1, wait) > 0 && (fd.revents & POLLIN); wait = 0) {
        const ssize_t k = ::read(FMaster, buffer, sizeof buffer);
        if (k <= 0)
            break;
        out.append(buffer, static_cast<size_t>(k));
        total += static_cast<size_t>(k);
    }
    return total;
}

void PtyPeer::Hangup()
{
    if (FMaster >= 0)
        ::close(FMaster);
    FMaster = -1;
}
