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

// The marks in the index as a later program reads them: a write and those
// added to it with what each sent, a mark of an older program without it,
// and nothing where the index cannot tell. The backup before the last write
// is named only while the controller holds what those writes left.
TEST(BackupStore, MarksAreReadAsWrittenAndTheBackupBeforeTheLastWriteAsTheControllerShowsIt)
{
    TTempFolder folder;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::setenv("XDG_DATA_HOME", folder.path("data").c_str(), 1);

    TImage earlier, sent, third;
    for (int i = 0; i < TImage::Size; ++i) {
        sent.setByte(i, static_cast<uint8_t>(i % 251));
        third.setByte(i, static_cast<uint8_t>(i % 13 + 1));
    }
    std::string backup;
    ASSERT_TRUE(TBackupStore::keep("KT7S010203", earlier, backup, TBackupStore::Reason::Write));
    const TWriteMark::Sent what = TWriteMark::sentOf(sent, &earlier);
    ASSERT_EQ(TWriteMark::Sent::parse(what.text()), what);
    const std::string name = std::filesystem::path(backup).filename().string();
    const std::string index = folder.path("data/kt7config/backups/.index");
    const std::string kept = "kept\t" + name + "\twrite\t\n";
    const std::string mark = "unfinished\tKT7S010203\t" + name + "\t" + what.text() + "\n";
    struct Case {
        const char* what;
        std::string index;
        bool marked;
        size_t sent;
        bool sentKnown;
        bool named; // the backup before the last write, the controller holding what was sent
    };
    const Case cases[] = {
        {"a write", kept + mark, true, 1, true, true},
        {"and another", kept + mark + "sent\tKT7S010203\t-\n", true, 2, true, true},
        {"finished", kept + mark + "finished\tKT7S010203\n", false, 0, true, true},
        {"an older program's", kept + "unfinished\tKT7S010203\t" + name + "\n", true, 0, false, true},
        {"a damaged line after it", kept + mark + "unfinished\tKT7S010203\t" + name + "\t0:xyz\n", false, 0, true,
         true},
        {"what was sent out of the image", kept + "unfinished\tKT7S010203\t" + name + "\t64:0123456789abcdef\n", false,
         0, true, false},
        {"added to no mark", kept + "sent\tKT7S010203\t-\n", false, 0, true, false},
        {"its backup gone", kept + "unfinished\tKT7S010203\tKT7S010203-20000101T000000Z.usr\t-\n", true, 1, true,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTempFolder::writeAll(index, c.index);
        const std::optional<TWriteMark> read = TBackupStore::unfinished("KT7S010203");
        ASSERT_EQ(read.has_value(), c.marked);
        if (c.marked) {
            EXPECT_EQ(read->backup, c.named ? backup : "");
            EXPECT_EQ(read->sent.size(), c.sent);
            EXPECT_EQ(read->sentKnown, c.sentKnown);
        }
        const auto before = TBackupStore::beforeLastWrite("KT7S010203", sent);
        EXPECT_EQ(before ? before->path : "", c.named ? backup : "");
        // Written since by someone else: only an older program's mark,
        // which tells nothing of what was sent, names it still.
        EXPECT_EQ(TBackupStore::beforeLastWrite("KT7S010203", third).has_value(), c.named && !c.sentKnown);
    }

    xdg ? ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
}
