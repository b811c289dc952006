#include "TTempFolder.h"
#include "project/TImageFile.h"

#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

// Keeps the process's file size limit low for one scope, so that a write
// fails half-way with EFBIG instead of killing the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit low = m_old;
        low.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};
} // namespace

TEST(ImageFile, WriteThenReadGivesTheSameBytesAndKeepsTheFileMode)
{
    TTempFolder folder;
    const std::string path = folder.path("site.usr");
    TTempFolder::writeAll(path, "old");
    ::chmod(path.c_str(), 0640);

    ASSERT_TRUE(TImageFile::write(path, patterned()));
    EXPECT_EQ(TTempFolder::readAll(path), imageBytes(patterned()));
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"site.usr"});

    TImage read;
    ASSERT_TRUE(TImageFile::read(path, read));
    EXPECT_EQ(read, patterned());
}

TEST(ImageFile, ShortFileLeavesTheRestZeroAndLongFileIsReadTo2048Bytes)
{
    TTempFolder folder;
    const std::string full = imageBytes(patterned());

    TTempFolder::writeAll(folder.path("short.usr"), full.substr(0, 100));
    TImage image = patterned();
    image.setByte(2047, 0xFF);
    ASSERT_TRUE(TImageFile::read(folder.path("short.usr"), image));
    for (int i = 0; i < TImage::Size; ++i)
        ASSERT_EQ(image.byte(i), i < 100 ? patterned().byte(i) : 0) << "offset " << i;

    TTempFolder::writeAll(folder.path("long.usr"), full + std::string(952, '\x5A'));
    TImage longRead;
    ASSERT_TRUE(TImageFile::read(folder.path("long.usr"), longRead));
    EXPECT_EQ(longRead, patterned());
}

TEST(ImageFile, UnreadableFileReportsWhyAndLeavesTheImage)
{
    TTempFolder folder;
    TImage image = patterned();

    const TFileResult missing = TImageFile::read(folder.path("none.usr"), image);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.fileName(), folder.path("none.usr"));
    EXPECT_EQ(missing.reason(), std::strerror(ENOENT));
    EXPECT_EQ(missing.text(), folder.path("none.usr") + ": " + std::strerror(ENOENT));

    ::mkdir(folder.path("dir.usr").c_str(), 0755);
    EXPECT_EQ(TImageFile::read(folder.path("dir.usr"), image).code(), EISDIR);
    EXPECT_EQ(image, patterned());
}

TEST(ImageFile, FailedWritesReportTheReasonAndLoseNothing)
{
    TTempFolder folder;
    EXPECT_EQ(TImageFile::write(folder.path("no/such/site.usr"), patterned()).code(), ENOENT);

    ::mkdir(folder.path("dir.usr").c_str(), 0755);
    const TFileResult onFolder = TImageFile::write(folder.path("dir.usr"), patterned());
    EXPECT_EQ(onFolder.code(), EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory(folder.path("dir.usr")));

    EXPECT_EQ(TImageFile::write("/dev/full", patterned()).code(), ENOSPC);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"dir.usr"});
}

TEST(ImageFile, WriteFailingHalfWayKeepsTheOldFileWholeAndRemovesTheTemporary)
{
    TTempFolder folder;
    const std::string path = folder.path("site.usr");
    const std::string old = std::string(2048, '\x11');
    TTempFolder::writeAll(path, old);

    TFileResult result = TFileResult::success();
    {
        FileSizeLimit limit(1000);
        result = TImageFile::write(path, patterned());
    }
    EXPECT_EQ(result.code(), EFBIG);
    EXPECT_EQ(result.fileName(), path);
    EXPECT_EQ(TTempFolder::readAll(path), old);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"site.usr"});
}

TEST(ImageFile, WriteThroughASymbolicLinkReplacesTheFileItPointsTo)
{
    TTempFolder folder;
    TTempFolder::writeAll(folder.path("real.usr"), "old");
    ::symlink(folder.path("real.usr").c_str(), folder.path("link.usr").c_str());

    ASSERT_TRUE(TImageFile::write(folder.path("link.usr"), patterned()));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path("link.usr")));
    EXPECT_EQ(TTempFolder::readAll(folder.path("real.usr")), imageBytes(patterned()));
}
