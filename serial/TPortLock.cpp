#include "serial/TPortLock.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The start of a lock file; empty for anything but a regular file, which
// anyone may leave in the shared lock folder (a FIFO would keep a reader
// waiting).
std::string lockText(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info {};
    char bytes[64];
    ssize_t n = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        n = ::read(fd, bytes, sizeof bytes);
    ::close(fd);
    return n > 0 ? std::string(bytes, static_cast<size_t>(n)) : std::string();
}

} // namespace

const std::vector<std::string>& TPortLock::folders()
{
    static const std::vector<std::string> list = {"/run/lock", "/var/lock", "/var/spool/lock"};
    return list;
}

std::string TPortLock::lockName(const std::string& device)
{
    // Through a link such as /dev/serial/by-id/... the lock is the device's own.
    std::string path = device;
    if (char* real = ::realpath(device.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    const std::string dev = "/dev/";
    std::string name
        = path.compare(0, dev.size(), dev) == 0 ? path.substr(dev.size()) : path.substr(path.rfind('/') + 1);
    for (char& c : name)
        if (c == '/')
            c = '_';
    return name;
}

int TPortLock::holder(const std::string& device, const std::vector<std::string>& lockFolders)
{
    const std::string name = "LCK.." + lockName(device);
    for (const std::string& folder : lockFolders) {
        const std::string text = lockText(folder + "/" + name);
        long pid = 0;
        if (text.find_first_not_of(" \t\r\n0123456789") == std::string::npos) {
            errno = 0;
            pid = std::strtol(text.c_str(), nullptr, 10);
            if (errno != 0)
                continue;
        } else if (text.size() == sizeof(int)) {
            int binary = 0;
            std::memcpy(&binary, text.data(), sizeof binary);
            pid = binary;
        }
        if (pid <= 0 || pid > INT_MAX)
            continue;
        // EPERM: the process is there, another user's.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)
            return static_cast<int>(pid);
    }
    return 0;
}
