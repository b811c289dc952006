// Backups kept in one second never replace each other and are listed newest
// first with why they were kept; other files in the folder are left out, and
// an image the newest backup of its controller holds is not kept twice.

#include "project/TBackupStore.h"
#include "project/TImageFile.h"
#include "tests/project/TTempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

TEST(BackupStore, KeptInOneSecondSideBySideAndListedNewestFirst)
{
    TTempFolder folder;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::setenv("XDG_DATA_HOME", folder.path("data").c_str(), 1);

    const std::time_t when = 1'796'000'000; // 2026-11-30T00:53:20Z
    std::vector<std::string> paths(3);
    for (int i = 0; i < 3; ++i) {
        TImage image;
        image.setByte(0, static_cast<uint8_t>(i + 1));
        ASSERT_TRUE(TBackupStore::keep(i < 2 ? "KT7S010203" : "AB/C\x01", image, paths[i],
                                       i == 0 ? TBackupStore::Reason::Compare : TBackupStore::Reason::Write, "site\t1",
                                       when - (i == 2)));
    }
    const std::string dir = folder.path("data/kt7config/backups/");
    EXPECT_EQ(paths[0], dir + "KT7S010203-20261130T005320Z.usr");
    EXPECT_EQ(paths[1], dir + "KT7S010203-20261130T005320Z-2.usr");
    EXPECT_EQ(paths[2], dir + "AB_C_-20261130T005319Z.usr");
    TImage first;
    ASSERT_TRUE(TImageFile::read(paths[0], first));
    EXPECT_EQ(first.byte(0), 1);
    TTempFolder::writeAll(dir + "notes.txt", "x");
    TTempFolder::writeAll(dir + "KT7S010203-2026.usr", "x");

    std::vector<TBackupStore::Entry> listed;
    ASSERT_TRUE(TBackupStore::list(listed));
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].path, paths[1]);
    EXPECT_EQ(listed[0].serial, "KT7S010203");
    EXPECT_EQ(listed[0].time, "2026-11-30T00:53:20Z");
    EXPECT_EQ(listed[1].path, paths[0]);
    EXPECT_EQ(listed[2].path, paths[2]);
    EXPECT_EQ(listed[2].serial, "AB_C_");
    EXPECT_EQ(listed[1].reason, TBackupStore::Reason::Compare);
    EXPECT_EQ(listed[0].reason, TBackupStore::Reason::Write);
    EXPECT_EQ(listed[0].project, "site 1");

    // The newest backup of the controller holds it: that one is named.
    TImage again;
    again.setByte(0, 2);
    std::string path;
    ASSERT_TRUE(TBackupStore::keep("KT7S010203", again, path, TBackupStore::Reason::Read, {}, when + 5));
    EXPECT_EQ(path, paths[1]);
    // Without the index the labels are unknown; the backups stay.
    std::filesystem::remove(dir + ".index");
    ASSERT_TRUE(TBackupStore::list(listed));
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].reason, TBackupStore::Reason::Unknown);
    EXPECT_EQ(listed[0].project, "");

    xdg ? ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
}
