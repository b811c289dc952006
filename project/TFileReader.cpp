#include "project/TFileReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

TFileResult TFileReader::read(const std::string& path, size_t limit, std::string& out)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return TFileResult::fromErrno(path, errno);

    // Grows in steps rather than taking the whole limit up front: names files
    // are a few hundred bytes, the limit is megabytes.
    constexpr size_t Step = 64 * 1024;
    std::string bytes;
    size_t done = 0;
    while (done < limit) {
        if (bytes.size() == done)
            bytes.resize(std::min(limit, done + Step));
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return TFileResult::fromErrno(path, error);
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    out = std::move(bytes);
    return TFileResult::success();
}
