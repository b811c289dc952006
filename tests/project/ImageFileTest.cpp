#include "project/TImageFile.h"
#include "tests/project/TTempFolder.h"
#include "tests/support/TFileSizeLimit.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
TImage patterned()
{
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>(i * 37 + 11));
    return image;
}

std::string imageBytes(const TImage& image)
{
    return std::string(reinterpret_cast<const char*>(image.bytes().data()), TImage::Size);
}
} // namespace

TEST(ImageFile, WriteThenReadGivesTheSameBytesKeepingModeAndLinks)
{
    TTempFolder folder;
    const std::string path = folder.path("site.usr");
    TTempFolder::writeAll(path, "old");
    ::chmod(path.c_str(), 0640);
    ::symlink(path.c_str(), folder.path("link.usr").c_str());

    ASSERT_TRUE(TImageFile::write(folder.path("link.usr"), patterned()));
    EXPECT_EQ(TTempFolder::readAll(path), imageBytes(patterned()));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path("link.usr")));
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"link.usr", "site.usr"}));

    TImage read;
    ASSERT_TRUE(TImageFile::read(path, read));
    EXPECT_EQ(read, patterned());
}

TEST(ImageFile, ShortFileLeavesTheRestZeroAndLongFileIsReadTo2048Bytes)
{
    TTempFolder folder;
    const std::string full = imageBytes(patterned());
    TTempFolder::writeAll(folder.path("short.usr"), full.substr(0, 100));
    TTempFolder::writeAll(folder.path("long.usr"), full + std::string(952, '\x5A'));

    TImage image = patterned();
    ASSERT_TRUE(TImageFile::read(folder.path("short.usr"), image));
    for (int i = 0; i < TImage::Size; ++i)
        ASSERT_EQ(image.byte(i), i < 100 ? patterned().byte(i) : 0) << "offset " << i;
    ASSERT_TRUE(TImageFile::read(folder.path("long.usr"), image));
    EXPECT_EQ(image, patterned());
}

TEST(ImageFile, UnreadableFileReportsWhyAndLeavesTheImage)
{
    TTempFolder folder;
    TImage image = patterned();
    const TFileResult missing = TImageFile::read(folder.path("none.usr"), image);
    EXPECT_EQ(missing.text(), folder.path("none.usr") + ": " + std::strerror(ENOENT));

    ::mkdir(folder.path("dir.usr").c_str(), 0755);
    EXPECT_EQ(TImageFile::read(folder.path("dir.usr"), image).code(), EISDIR);
    // A FIFO nobody writes to fails at once instead of waiting for a writer.
    ::mkfifo(folder.path("fifo.usr").c_str(), 0644);
    EXPECT_FALSE(TImageFile::read(folder.path("fifo.usr"), image));
    EXPECT_EQ(image, patterned());
}

TEST(ImageFile, FailedWritesReportTheReasonAndLoseNothing)
{
    TTempFolder folder;
    const std::string path = folder.path("site.usr");
    const std::string old(2048, '\x11');
    TTempFolder::writeAll(path, old);
    ::mkdir(folder.path("dir.usr").c_str(), 0755);

    EXPECT_EQ(TImageFile::write(folder.path("no/such/site.usr"), patterned()).code(), ENOENT);
    EXPECT_EQ(TImageFile::write(folder.path("dir.usr"), patterned()).code(), EISDIR);
    ::mkfifo(folder.path("fifo.usr").c_str(), 0644);
    EXPECT_EQ(TImageFile::write(folder.path("fifo.usr"), patterned()).code(), ENXIO);

    // A file size limit (in a child process) makes the write fail half-way.
    EXPECT_EQ(TFileSizeLimit::inChild(1000,
                                      [&] {
                                          const TFileResult result = TImageFile::write(path, patterned());
                                          return result.fileName() == path ? result.code() : 1;
                                      }),
              EFBIG);
    EXPECT_EQ(TTempFolder::readAll(path), old);

    // A device is written where it is, never replaced by a file: a terminal
    // the test opened, named by a link in the folder.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    termios raw{};
    ASSERT_TRUE(::grantpt(master) == 0 && ::unlockpt(master) == 0 && ::tcgetattr(master, &raw) == 0);
    ::cfmakeraw(&raw);
    ASSERT_EQ(::tcsetattr(master, TCSANOW, &raw), 0);
    ASSERT_EQ(::symlink(::ptsname(master), folder.path("tty.usr").c_str()), 0);
    EXPECT_TRUE(TImageFile::write(folder.path("tty.usr"), patterned()));
    std::string received;
    pollfd ready{master, POLLIN, 0};
    char bytes[TImage::Size];
    while (received.size() < TImage::Size && ::poll(&ready, 1, 2000) > 0) {
        const ssize_t n = ::read(master, bytes, sizeof bytes);
        if (n <= 0)
            break;
        received.append(bytes, static_cast<size_t>(n));
    }
    ::close(master);
    EXPECT_EQ(received, imageBytes(patterned()));
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"dir.usr", "fifo.usr", "site.usr", "tty.usr"}));
}

namespace {
// Runs the scope as an ordinary user: root may write any file, so root takes
// the ids of "nobody" until the scope ends.
class TOrdinaryUser {
public:
    explicit TOrdinaryUser(const std::string& folder)
    {
        if (::geteuid() != 0)
            return;
        m_switched = ::chown(folder.c_str(), Nobody, Nobody) == 0 && ::setegid(Nobody) == 0 && ::seteuid(Nobody) == 0;
    }
    ~TOrdinaryUser()
    {
        if (m_switched && (::seteuid(0) != 0 || ::setegid(0) != 0))
            std::abort();
    }
    TOrdinaryUser(const TOrdinaryUser&) = delete;
    TOrdinaryUser& operator=(const TOrdinaryUser&) = delete;

private:
    static constexpr uid_t Nobody = 65534;
    bool m_switched = false;
};
} // namespace

TEST(ImageFile, ReadOnlyFileIsRefusedAndAFileInAReadOnlyFolderIsWrittenInPlace)
{
    TTempFolder folder;
    const std::string root = folder.path(".");
    const std::string path = folder.path("site.usr");
    const std::string old(2048, '\x11');
    TOrdinaryUser user(root);
    TTempFolder::writeAll(path, old);
    ::chmod(path.c_str(), 0444);

    const TFileResult refused = TImageFile::write(path, patterned());
    EXPECT_EQ(refused.code(), EACCES);
    EXPECT_EQ(refused.fileName(), path);
    EXPECT_EQ(TTempFolder::readAll(path), old);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"site.usr"});

    ::chmod(path.c_str(), 0640);
    ::chmod(root.c_str(), 0555);
    const TFileResult inPlace = TImageFile::write(path, patterned());
    ::chmod(root.c_str(), 0755);
    EXPECT_TRUE(inPlace) << inPlace.text();
    EXPECT_EQ(TTempFolder::readAll(path), imageBytes(patterned()));
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"site.usr"});
}
