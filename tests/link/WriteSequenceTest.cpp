// The write's core on its own, its backups in memory: the steps it hands
// out, its verdict from the blocks the write changes and those confirmed,
// the way back it names across writes as the read before each write shows
// the controller, and the restore command as a shell takes it.

#include "link/TWriteSequence.h"
#include "tests/link/TMemoryBackups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Holds = TWriteSequence::Holds;
using Before = TWriteSequence::Before;
using Unseen = TWriteSequence::Unseen;
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
const TWriteSequence::Options NoBackup{false, false, false, {}, {}};

class WriteSequence : public ::testing::Test {
protected:
    // A write of image to a controller holding held, stopped after done
    // blocks (the next one's request out whole when inDoubt).
    TWriteSequence stopped(const TImage& held, const TImage& image, int done, bool inDoubt)
    {
        TWriteSequence s(m_backups, image, Serial, Com3, {});
        EXPECT_EQ(s.next(), Step::ReadBackup);
        s.backupRead(held);
        EXPECT_EQ(s.next(), Step::Write);
        s.writeStopped(done, inDoubt);
        EXPECT_EQ(s.next(), Step::Done);
        return s;
    }
    bool marked() const { return m_backups.unfinished(Serial).has_value(); }

    TMemoryBackups m_backups;
};

} // namespace

// What the controller holds comes from what differs: the blocks the write
// changes against what the controller held, those it confirmed and the one
// in doubt. Every controller not known to hold one configuration whole is
// told the way back, the one-of-two case included.
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
        EXPECT_EQ(v.before, Before::Whole);
        EXPECT_EQ(v.doubtful(), c.told);
        ASSERT_EQ(m_backups.kept.count(v.backup), 1u);
        EXPECT_EQ(m_backups.kept[v.backup].image, old);
        EXPECT_EQ(s.restoreCommand(), c.told ? "kt7tool restore " + v.backup + " --com 3" : "");
        // A controller left whole forgets the write; one that is not keeps
        // the mark for the next (which the next case clears again).
        EXPECT_EQ(marked(), c.told);
        m_backups.markFinished(Serial);
    }

    // Without the backup read nothing is known of what it held: every block
    // counts as changed, what was written is said, what it holds is not
    // known unless every block went in, and there is no way back to tell.
    // Such a write is marked before its first block goes out, so that a run
    // killed part-way leaves it known all the same.
    for (const int done : {0, 3, 63, 64}) {
        SCOPED_TRACE(done);
        TWriteSequence blind(m_backups, all, Serial, Com3, NoBackup);
        blind.start();
        ASSERT_TRUE(marked());
        EXPECT_EQ(m_backups.unfinished(Serial)->backup, "");
        ASSERT_EQ(blind.next(), Step::Write);
        blind.writeStopped(done, done == 63);
        const TWriteSequence::Verdict& v = blind.verdict();
        EXPECT_EQ(v.holds, done == 0 ? Holds::Earlier : done == 64 ? Holds::New : Holds::Unknown);
        EXPECT_EQ(v.changed, 64);
        EXPECT_TRUE(v.backup.empty());
        EXPECT_EQ(v.doubtful(), done == 3 || done == 63);
        EXPECT_EQ(blind.restoreCommand(), "");
        EXPECT_EQ(marked(), v.doubtful());
        m_backups.markFinished(Serial);
    }
}

// The read before a write shows what the controller holds, and is believed
// over the mark an earlier write left: block by block against the mark's
// backup and what the marked writes sent, the controller is still mixed
// (the mark stands and names the way back), whole again (the mark ends),
// or holds a block of neither, written since by someone else (the mark
// ends, and what the controller holds now is the way back). What a read cut
// short, or a mark that keeps too little, cannot show is what may be.
TEST_F(WriteSequence, TheReadBeforeAWriteIsBelievedOverTheMark)
{
    const TImage earlier = pattern(1);
    const TImage sent = pattern(2);
    const TImage next = pattern(3);
    const TImage third = pattern(4);
    const TImage mixed = withBlocks(earlier, sent, range(0, 10));
    enum class Mark { None, Sent, Old, NoBackup };
    enum class Way { Earlier, Own, None };
    struct Case {
        const char* what;
        Mark mark;
        TImage held;
        int read; // blocks of it the read before the next write brought
        bool keepFails;
        Before before;
        Way previous;
        bool stands; // the mark the earlier write left
        Unseen unseen = Unseen::NotKept;
    };
    const Case cases[] = {
        {"still mixed", Mark::Sent, mixed, 64, false, Before::Mixed, Way::Earlier, true},
        {"put back whole", Mark::Sent, earlier, 64, false, Before::Whole, Way::Own, false},
        {"the configuration sent, whole", Mark::Sent, sent, 64, false, Before::Whole, Way::Own, false},
        {"another user's whole write", Mark::Sent, third, 64, false, Before::Stale, Way::Own, false},
        {"one block of a third", Mark::Sent, withBlocks(mixed, third, {40}), 64, false, Before::Stale, Way::Own, false},
        {"its backup not kept", Mark::Sent, mixed, 64, true, Before::Mixed, Way::Earlier, true},
        {"an older mark, mixed", Mark::Old, mixed, 64, false, Before::MayBeMixed, Way::Earlier, true},
        {"an older mark, put back whole", Mark::Old, earlier, 64, false, Before::Whole, Way::Own, false},
        {"no backup, the configuration sent whole", Mark::NoBackup, sent, 64, false, Before::Whole, Way::Own, false},
        {"no backup, some blocks of it", Mark::NoBackup, withBlocks(third, sent, range(0, 10)), 64, false,
         Before::MayBeMixed, Way::Own, true},
        {"no backup, none of it", Mark::NoBackup, third, 64, false, Before::Stale, Way::Own, false},
        {"read stopped, blocks agree", Mark::Sent, mixed, 16, false, Before::MayBeMixed, Way::Earlier, true,
         Unseen::ReadStopped},
        {"read stopped, a block of a third", Mark::Sent, withBlocks(mixed, third, {2}), 3, false, Before::Stale,
         Way::None, false},
        {"read stopped, none marked", Mark::None, mixed, 3, false, Before::Whole, Way::None, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_backups = {};
        std::string earlierBackup;
        if (c.mark == Mark::Sent) {
            earlierBackup = stopped(earlier, sent, 10, false).verdict().backup;
        } else if (c.mark == Mark::Old) {
            ASSERT_TRUE(m_backups.keep(Serial, earlier, {}, 0, earlierBackup));
            TWriteMark& old = m_backups.marks[Serial];
            old.backup = earlierBackup;
            old.sentKnown = false;
        } else if (c.mark == Mark::NoBackup) {
            TWriteSequence blind(m_backups, sent, Serial, Com3, NoBackup);
            blind.start();
            blind.writeStopped(10, false);
        }
        m_backups.keepFails = c.keepFails ? "No space left on device" : "";

        TWriteSequence s(m_backups, next, Serial, Com3, {});
        if (c.read == TImage::Blocks) {
            s.backupRead(c.held);
            if (!c.keepFails)
                s.writeStopped(5, false);
        } else {
            s.backupStopped(c.held, c.read);
        }
        const TWriteSequence::Verdict& v = s.verdict();
        EXPECT_EQ(v.before, c.before);
        if (c.before == Before::MayBeMixed) {
            EXPECT_EQ(v.unseen, c.unseen);
        }
        EXPECT_EQ(v.previous, c.previous == Way::Earlier ? earlierBackup : c.previous == Way::Own ? v.backup : "");
        EXPECT_FALSE(v.previous.empty() && c.previous != Way::None);
        // Nothing of this write went in: what it held before decides.
        if (c.read < TImage::Blocks || c.keepFails) {
            EXPECT_EQ(v.holds, v.mixedBefore() ? Holds::Mixed : Holds::Earlier);
        }
        EXPECT_EQ(s.restoreCommand(), v.doubtful() ? "kt7tool restore " + v.previous + " --com 3" : "");
        // The earlier write's mark, or this write's own where it wrote.
        const std::optional<TWriteMark> mark = m_backups.unfinished(Serial);
        EXPECT_EQ(mark && mark->backup == earlierBackup && c.mark != Mark::None, c.stands);
        EXPECT_EQ(mark.has_value(), v.doubtful());
        if (mark && c.stands) {
            EXPECT_EQ(mark->sent.size(), (c.mark == Mark::Old ? 0u : 1u) + (c.keepFails || c.read < 64 ? 0u : 1u));
        }
    }
}

// The way back is the backup taken before the first write since the
// controller last held a whole configuration: never a backup of a mixed
// controller, however often a write to it is stopped; every write adds what
// it sent to the mark.
TEST_F(WriteSequence, TheWayBackIsTheLastWholeConfigurationAcrossWrites)
{
    const TImage first = pattern(1);
    const TImage a = pattern(2);
    const TImage b = pattern(3);
    const TWriteSequence one = stopped(first, a, 10, false);
    const std::string wayBack = one.verdict().previous;
    ASSERT_EQ(wayBack, one.verdict().backup);

    // The second write reads the mixed controller and keeps it, but names
    // the first backup; the third reads blocks of all three.
    const TImage mixed = withBlocks(first, a, range(0, 10));
    const TWriteSequence two = stopped(mixed, b, 5, false);
    EXPECT_EQ(two.verdict().before, Before::Mixed);
    EXPECT_NE(two.verdict().backup, wayBack);
    EXPECT_EQ(two.verdict().previous, wayBack);
    EXPECT_EQ(two.verdict().holds, Holds::Mixed);
    EXPECT_EQ(two.restoreCommand(), "kt7tool restore " + wayBack + " --com 3");
    // Nothing of the third write changed its blocks: still mixed, as the
    // writes before left it.
    const TWriteSequence none = stopped(withBlocks(mixed, b, range(0, 5)), b, 0, false);
    EXPECT_EQ(none.verdict().before, Before::Mixed);
    EXPECT_EQ(none.verdict().holds, Holds::Mixed);
    EXPECT_EQ(none.verdict().previous, wayBack);
    EXPECT_EQ(m_backups.unfinished(Serial)->sent.size(), 3u);

    // A whole write ends it: the next names its own backup.
    TWriteSequence whole(m_backups, b, Serial, Com3, {});
    whole.backupRead(mixed);
    whole.written({});
    EXPECT_EQ(whole.verdict().holds, Holds::New);
    EXPECT_FALSE(marked());
    const TWriteSequence three = stopped(b, a, 20, false);
    EXPECT_EQ(three.verdict().previous, three.verdict().backup);
    EXPECT_EQ(three.verdict().before, Before::Whole);

    // A backup of another controller is told before anything is sent.
    const TWriteSequence foreign(m_backups, a, "ZZZZ123456", Com3, {true, false, false, {}, "ABCDEFGHIJ"});
    EXPECT_TRUE(foreign.foreignBackup());
    TWriteSequence putBack(m_backups, first, Serial, Com3, {true, false, false, "hotel", "ABCDEFGHIJ"});
    EXPECT_FALSE(putBack.foreignBackup());

    // The backup before a write is labelled with the project written; one
    // taken before a kept image is put back, with none.
    TWriteSequence labelled(m_backups, b, Serial, Com3, {true, false, false, "hotel", {}});
    labelled.backupRead(pattern(7));
    putBack.backupRead(pattern(8));
    EXPECT_EQ(m_backups.kept[labelled.verdict().backup].project, "hotel");
    EXPECT_EQ(m_backups.kept[putBack.verdict().backup].project, "");
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
