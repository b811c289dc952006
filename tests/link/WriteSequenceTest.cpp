// The write's core on its own: the steps it hands out, its verdict from the
// blocks the write changes and those confirmed, the way back it names across
// writes, and the restore command as a shell takes it.

#include "link/TWriteSequence.h"
#include "project/TBackupStore.h"
#include "project/TImageFile.h"
#include "tests/project/TTempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

using Holds = TWriteSequence::Holds;
using Step = TWriteSequence::Step;

const char Serial[] = "ABCDEFGHIJ";

// A byte pattern per seed, so that every block differs between two seeds.
TImage pattern(int seed)
{
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>(i * 7 + seed));
    return image;
}

// from with the blocks listed taken from to.
TImage withBlocks(const TImage& from, const TImage& to, const std::vector<int>& blocks)
{
    TImage image = from;
    for (const int b : blocks)
        for (int i = b * TImage::BlockSize; i < (b + 1) * TImage::BlockSize; ++i)
            image.setByte(i, to.byte(i));
    return image;
}

std::vector<int> range(int from, int to)
{
    std::vector<int> blocks;
    for (int b = from; b < to; ++b)
        blocks.push_back(b);
    return blocks;
}

const TWriteSequence::Line Com3{3, {}, 9600, 500};

class WriteSequence : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* xdg = std::getenv("XDG_DATA_HOME");
        m_saved = xdg ? std::optional<std::string>(xdg) : std::nullopt;
        ::setenv("XDG_DATA_HOME", m_folder.path("data").c_str(), 1);
    }
    void TearDown() override { m_saved ? ::setenv("XDG_DATA_HOME", m_saved->c_str(), 1) : ::unsetenv("XDG_DATA_HOME"); }
    // A write of image to a controller holding held, stopped after done
    // blocks (the next one's request out whole when inDoubt).
    static TWriteSequence stopped(const TImage& held, const TImage& image, int done, bool inDoubt)
    {
        TWriteSequence s(image, Serial, Com3, {});
        EXPECT_EQ(s.next(), Step::ReadBackup);
        s.backupRead(held);
        EXPECT_EQ(s.next(), Step::Write);
        s.writeStopped(done, inDoubt);
        EXPECT_EQ(s.next(), Step::Done);
        return s;
    }

    TTempFolder m_folder;
    std::optional<std::string> m_saved;
};

} // namespace

// What the controller holds comes from what differs: the blocks the write
// changes against what the controller held, those it confirmed and the one
// in doubt. Only a controller that may hold neither configuration whole is
// told the way back.
TEST_F(WriteSequence, TheVerdictComesFromTheChangedBlocksConfirmed)
{
    const TImage old = pattern(1);
    const TImage all = pattern(2);
    struct Case {
        const char* what;
        TImage image;
        int done;
        bool inDoubt;
        Holds holds;
        int changed, in, out;
        bool told;
    };
    const Case cases[] = {
        {"0 blocks", all, 0, false, Holds::Earlier, 64, 0, 64, false},
        {"0 blocks, block 0000 in doubt", all, 0, true, Holds::EarlierOrMixed, 64, 0, 63, true},
        {"0 blocks, the one changed block in doubt", withBlocks(old, all, {0}), 0, true, Holds::NewOrEarlier, 1, 0, 0,
         true},
        {"1 block, blocks 0 and 1 unchanged", withBlocks(old, all, range(2, 64)), 1, true, Holds::Earlier, 62, 0, 62,
         false},
        {"1 block, 2 changed", all, 1, false, Holds::Mixed, 64, 1, 63, true},
        {"29 blocks, block 1 alone changed", withBlocks(old, all, {1}), 29, true, Holds::New, 1, 1, 0, false},
        {"10 blocks, mixed", all, 10, true, Holds::Mixed, 64, 10, 53, true},
        {"63 blocks, block 63 unchanged", withBlocks(old, all, range(0, 63)), 63, true, Holds::New, 63, 63, 0, false},
        {"63 blocks, block 63 in doubt", all, 63, true, Holds::NewOrMixed, 64, 63, 0, true},
        {"63 blocks, block 63 not sent", all, 63, false, Holds::Mixed, 64, 63, 1, true},
        {"64 blocks", all, 64, true, Holds::New, 64, 64, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TWriteSequence s = stopped(old, c.image, c.done, c.inDoubt);
        const TWriteSequence::Verdict& v = s.verdict();
        EXPECT_EQ(v.end, TWriteSequence::End::WriteStopped);
        EXPECT_EQ(v.holds, c.holds);
        EXPECT_EQ(v.changed, c.changed);
        EXPECT_EQ(v.changedIn, c.in);
        EXPECT_EQ(v.changedOut(), c.out);
        EXPECT_EQ(v.inDoubt, c.inDoubt && c.done < 64);
        EXPECT_EQ(v.doubtAddress, std::min(c.done, 63) * 32);
        EXPECT_FALSE(v.mixedBefore);
        EXPECT_EQ(v.doubtful(), c.told);
        ASSERT_FALSE(v.backup.empty());
        TImage kept;
        ASSERT_TRUE(TImageFile::read(v.backup, kept));
        EXPECT_EQ(kept, old);
        EXPECT_EQ(s.restoreCommand(), c.told ? "kt7tool restore " + v.backup + " --com 3" : "");
        // A controller left whole forgets the write; one that is not keeps
        // the mark for the next (which the next case clears again).
        EXPECT_EQ(TBackupStore::unfinished(Serial).has_value(), c.told);
        if (c.told)
            TBackupStore::markFinished(Serial);
    }

    // Without the backup read nothing is known of what it held: every block
    // counts as changed, and there is no way back to tell.
    // Such a write is marked unfinished before its first block goes out, so
    // that a run killed part-way leaves it known all the same.
    TWriteSequence blind(all, Serial, Com3, {false, false, false, {}, {}});
    blind.start();
    EXPECT_EQ(TBackupStore::unfinished(Serial), std::string());
    ASSERT_EQ(blind.next(), Step::Write);
    blind.writeStopped(3, true);
    EXPECT_EQ(blind.verdict().holds, Holds::Mixed);
    EXPECT_EQ(blind.verdict().changed, 64);
    EXPECT_TRUE(blind.verdict().backup.empty());
    EXPECT_EQ(blind.restoreCommand(), "");
    EXPECT_EQ(TBackupStore::unfinished(Serial), std::string());
}

// The way back is the backup taken before the first write since the
// controller last held a whole configuration: never a backup of a mixed
// controller, across writes and across runs, until a write leaves it whole.
TEST_F(WriteSequence, TheWayBackIsTheLastWholeConfigurationAcrossWrites)
{
    const TImage first = pattern(1);
    const TImage a = pattern(2);
    const TImage b = pattern(3);
    const TWriteSequence one = stopped(first, a, 10, false);
    const std::string wayBack = one.verdict().previous;
    ASSERT_EQ(wayBack, one.verdict().backup);

    // The second write reads the mixed controller and keeps it, but names
    // the first backup; so does one stopped in its backup read.
    const TImage mixed = withBlocks(first, a, range(0, 10));
    const TWriteSequence two = stopped(mixed, b, 5, false);
    EXPECT_TRUE(two.verdict().mixedBefore);
    EXPECT_NE(two.verdict().backup, wayBack);
    EXPECT_EQ(two.verdict().previous, wayBack);
    EXPECT_EQ(two.verdict().holds, Holds::Mixed);
    EXPECT_EQ(two.restoreCommand(), "kt7tool restore " + wayBack + " --com 3");
    TWriteSequence readStopped(b, Serial, Com3, {});
    readStopped.backupStopped();
    EXPECT_EQ(readStopped.verdict().holds, Holds::Mixed);
    EXPECT_EQ(readStopped.restoreCommand(), two.restoreCommand());
    // Nothing of the second write changed its blocks: still mixed, as the
    // first write left it.
    const TWriteSequence none = stopped(withBlocks(mixed, b, range(0, 5)), b, 0, false);
    EXPECT_EQ(none.verdict().holds, Holds::Mixed);
    EXPECT_EQ(none.verdict().previous, wayBack);

    // A whole write ends it: the next names its own backup.
    TWriteSequence whole(b, Serial, Com3, {});
    whole.backupRead(mixed);
    whole.written({});
    EXPECT_EQ(whole.verdict().holds, Holds::New);
    EXPECT_EQ(TBackupStore::unfinished(Serial), std::nullopt);
    const TWriteSequence three = stopped(b, a, 20, false);
    EXPECT_EQ(three.verdict().previous, three.verdict().backup);
    EXPECT_FALSE(three.verdict().mixedBefore);

    // A damaged index costs the knowledge, never names a wrong file: the
    // write names what the controller held before it.
    std::ofstream(TBackupStore::folder() + "/.index", std::ios::app) << "unfinished\tABCDEFGHIJ";
    const TWriteSequence four = stopped(first, a, 20, false);
    EXPECT_FALSE(four.verdict().mixedBefore);
    EXPECT_EQ(four.verdict().previous, four.verdict().backup);
    // The controller holding what the mark names is whole.
    TWriteSequence held(a, Serial, Com3, {});
    held.backupRead(first);
    EXPECT_FALSE(held.verdict().mixedBefore);
    EXPECT_EQ(held.verdict().previous, four.verdict().backup);

    // A backup of another controller is told before anything is sent.
    const TWriteSequence foreign(a, "ZZZZ123456", Com3, {true, false, false, {}, "ABCDEFGHIJ"});
    EXPECT_TRUE(foreign.foreignBackup());
    TWriteSequence putBack(first, Serial, Com3, {true, false, false, "hotel", "ABCDEFGHIJ"});
    EXPECT_FALSE(putBack.foreignBackup());

    // The backup before a write is labelled with the project written; one
    // taken before a kept image is put back, with none.
    TWriteSequence labelled(b, Serial, Com3, {true, false, false, "hotel", {}});
    labelled.backupRead(pattern(7));
    putBack.backupRead(pattern(8));
    std::vector<TBackupStore::Entry> entries;
    ASSERT_TRUE(TBackupStore::list(entries));
    const auto projectOf = [&](const std::string& path) {
        const auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.path == path; });
        return it == entries.end() ? std::string("(not listed)") : it->project;
    };
    EXPECT_EQ(projectOf(labelled.verdict().backup), "hotel");
    EXPECT_EQ(projectOf(putBack.verdict().backup), "");
}

// The command names the backup and the line as the write used it, and a
// shell gives kt7tool exactly those words.
TEST_F(WriteSequence, TheRestoreCommandIsQuotedForTheShellWithTheLineItUsed)
{
    struct Case {
        const char* backup;
        TWriteSequence::Line line;
        const char* command;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"/d/ABCDEFGHIJ-20261208T072724Z.usr",
         {3, {}, 9600, 500},
         "kt7tool restore /d/ABCDEFGHIJ-20261208T072724Z.usr --com 3",
         {"restore", "/d/ABCDEFGHIJ-20261208T072724Z.usr", "--com", "3"}},
        {"/my backups/A.usr",
         {0, "/dev/pts/3", 19200, 900},
         "kt7tool restore '/my backups/A.usr' --device /dev/pts/3 --baud 19200 --timeout 900",
         {"restore", "/my backups/A.usr", "--device", "/dev/pts/3", "--baud", "19200", "--timeout", "900"}},
        {"/it's \"here\"/$HOME`x`.usr",
         {1, "/dev/serial/by-id/usb-FTDI x", 9600, 700},
         "kt7tool restore '/it'\\''s \"here\"/$HOME`x`.usr' --device '/dev/serial/by-id/usb-FTDI x' --timeout 700",
         {"restore", "/it's \"here\"/$HOME`x`.usr", "--device", "/dev/serial/by-id/usb-FTDI x", "--timeout", "700"}},
        {"-data/A.usr",
         {2, {}, 4800, 500},
         "kt7tool restore ./-data/A.usr --com 2 --baud 4800",
         {"restore", "./-data/A.usr", "--com", "2", "--baud", "4800"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.backup);
        const std::string command = TWriteSequence::restoreCommand(c.backup, c.line);
        EXPECT_EQ(command, c.command);
        // The words as the shell hands them over.
        const std::string run = "printf '%s\\n' " + command.substr(std::string("kt7tool ").size());
        FILE* shell = ::popen(("sh -c " + TWriteSequence::shellWord(run)).c_str(), "r");
        ASSERT_NE(shell, nullptr);
        std::vector<std::string> words;
        char line[512];
        while (std::fgets(line, sizeof line, shell))
            words.emplace_back(line, std::strlen(line) - 1);
        EXPECT_EQ(::pclose(shell), 0);
        EXPECT_EQ(words, c.words);
    }
}
