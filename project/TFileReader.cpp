#include "project/TFileReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
TFileResult notRegular(const std::string& path, const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return TFileResult::fromErrno(path, EISDIR);
    return TFileResult::failure(path, TFileResult::Kind::NotRegularFile, {}, "not a regular file");
}
} // namespace

TFileResult TFileReader::read(const std::string& path, size_t limit, std::string& out)
{
    // Only a regular file is read: a FIFO or a device could keep the caller
    // waiting for bytes for good, and opening a serial device alone changes
    // its lines. The check after the open catches a file swapped in between;
    // O_NONBLOCK keeps that open from waiting for a FIFO's writer.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return notRegular(path, info);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return TFileResult::fromErrno(path, errno);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno;
        ::close(fd);
        return S_ISREG(info.st_mode) ? TFileResult::fromErrno(path, error) : notRegular(path, info);
    }

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
