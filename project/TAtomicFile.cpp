#include "project/TAtomicFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes all bytes, riding over short writes and interrupted calls.
bool writeAll(int fd, std::string_view bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a new file beside target that nobody else uses. The mode 0666 is
// narrowed by the umask as for any new file.
int createTemporary(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Flushes the file to the disk and closes it: 0, or the errno value of the
// first failure, the write's when written is false.
int finish(int fd, bool written)
{
    int error = written && ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// Makes the rename itself durable. The new content is already in place when
// this runs, so a failure here loses nothing and is not reported.
void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

TFileResult TAtomicFile::write(const std::string& path, std::string_view bytes)
{
    // Through a symbolic link the file it points to is replaced, not the link.
    std::string target = path;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            target = resolved;
    }
    if (::stat(target.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return writeDirectly(path, bytes);
        // A file the user may not write is refused: the rename would replace
        // it all the same, since only the folder's permission counts for it.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return TFileResult::fromErrno(path, errno);
        // No temporary file can be made in a folder the user may not write;
        // a file there that the user may write is written where it is.
        if (::faccessat(AT_FDCWD, folderOf(target).c_str(), W_OK, AT_EACCESS) != 0)
            return writeDirectly(path, bytes);
    }
    return replace(path, target, bytes);
}

TFileResult TAtomicFile::create(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return TFileResult::fromErrno(path, errno);
    const int error = finish(fd, writeAll(fd, bytes));
    if (error != 0) {
        ::unlink(path.c_str());
        return TFileResult::fromErrno(path, error);
    }
    syncFolder(folderOf(path));
    return TFileResult::success();
}

TFileResult TAtomicFile::writeDirectly(const std::string& path, std::string_view bytes)
{
    // Opening a FIFO that nobody reads would wait for a reader for good; with
    // O_NONBLOCK it fails at once instead. The writes themselves block as usual.
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return TFileResult::fromErrno(path, errno);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || !writeAll(fd, bytes)) {
        const int error = errno;
        ::close(fd);
        return TFileResult::fromErrno(path, error);
    }
    if (::close(fd) != 0)
        return TFileResult::fromErrno(path, errno);
    return TFileResult::success();
}

TFileResult TAtomicFile::replace(const std::string& path, const std::string& target, std::string_view bytes)
{
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;

    std::string tempPath;
    const int fd = createTemporary(target, tempPath);
    if (fd < 0)
        return TFileResult::fromErrno(path, errno);

    bool written = writeAll(fd, bytes);
    if (written && existed)
        written = ::fchmod(fd, old.st_mode & 07777) == 0;
    int error = finish(fd, written);
    if (error == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(tempPath.c_str());
        return TFileResult::fromErrno(path, error);
    }
    syncFolder(folderOf(target));
    return TFileResult::success();
}
