// The results file of the acceptance test: every line a result or told as
// damaged with its number and why, recording that replaces the line of the
// same effect where it stands and keeps every other line as it was, texts
// that come back as written, and zone and relay keys spelt as the names
// file spells them.

#include "image/TSiteNames.h"
#include "image/TTargetKey.h"
#include "project/TAcceptanceFile.h"
#include "tests/project/TTempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const std::string Print = "0123456789abcdef";

TAcceptanceResult result(int input, int stage, const std::string& target, TAcceptanceResult::Verdict verdict,
                         const std::string& note = {})
{
    return {input, stage, target, verdict, Print, "2026-12-08T10:27:24+03:00", "Иванов И. И.", note};
}
} // namespace

TEST(AcceptanceFile, EveryLineIsAResultOrToldAsDamagedWithWhy)
{
    struct Case {
        std::string line;
        std::string reason; // empty: read (or, for a blank or comment line, skipped)
        std::string note = {};
    };
    const std::string good = "IN-3\t1\tLB2.OUT3\tгоден\t" + Print + "\t2026-12-08T10:27:24+03:00\tИванов\t";
    // The good line with field n (0-based) replaced.
    const auto with = [&good](size_t n, const std::string& value) {
        size_t start = 0;
        for (size_t f = 0; f < n; ++f)
            start = good.find('\t', start) + 1;
        return good.substr(0, start) + value + good.substr(good.find('\t', start));
    };
    const std::vector<Case> cases = {
        {good + "тихо", "", "тихо"},
        {good + "тихо\r", "", "тихо"},
        {good.substr(0, good.size() - 1), ""}, // the remark's tab lost
        {good + "a\\tb\\nc\\\\d\\x01\\q\\x4", "", "a\tb\nc\\d\x01\\q\\x4"},
        // Only control characters come from \xNN: another byte would be no UTF-8.
        {good + "\\xC3\\xA9", "", "\\xC3\\xA9"},
        {"", ""},
        {"   ", ""},
        {"# a comment\tIN-99", ""},
        {"IN-3 1 LB2.OUT3 годен", "ожидалось 8 полей через табуляцию, а их 1"},
        {good + "тихо\tлишнее", "ожидалось 8 полей через табуляцию, а их 9"},
        {with(0, "IN-25"), "вход «IN-25» не из IN-1 … IN-24"},
        {with(0, "IN-03"), "вход «IN-03» не из IN-1 … IN-24"},
        {with(0, "in-3"), "вход «in-3» не из IN-1 … IN-24"},
        {with(1, "6"), "этап «6» не из 1 … 5"},
        {with(2, "LB13.OUT1"), "«LB13.OUT1» не зона и не реле (LB2.OUT3, CU.K1, RM1.K2)"},
        {with(2, "CU.K3"), "«CU.K3» не зона и не реле (LB2.OUT3, CU.K1, RM1.K2)"},
        {with(2, "lb2.out3"), "«lb2.out3» не зона и не реле (LB2.OUT3, CU.K1, RM1.K2)"},
        {with(3, "хорош"), "результат «хорош» не «годен», «не годен» или «не проверено»"},
        {with(4, "0123456789ABCDEF"), "отпечаток «0123456789ABCDEF» не из 16 шестнадцатеричных цифр"},
        {good + "\xC0\xAF", "строка не в UTF-8"},
        {good + std::string("a\0b", 3), "", std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string reason = "-";
        const std::optional<TAcceptanceResult> r = TAcceptanceFile::parse(c.line, reason);
        EXPECT_EQ(reason, c.reason);
        const bool blank = c.line.find_first_not_of(" \r") == std::string::npos || c.line[0] == '#';
        ASSERT_EQ(r.has_value(), c.reason.empty() && !blank);
        if (!r)
            continue;
        EXPECT_EQ(r->note, c.note);
        // What is read is written as a line that reads back the same.
        const std::optional<std::string> again = TAcceptanceFile::line(*r);
        ASSERT_TRUE(again);
        EXPECT_EQ(TAcceptanceFile::parse(*again, reason), r);
    }
    // What cannot be read back is never written.
    EXPECT_FALSE(TAcceptanceFile::line(result(3, 1, "LB2.OUT3", TAcceptanceResult::Verdict::Pass, "\xFF")));
    EXPECT_FALSE(TAcceptanceFile::line(result(3, 1, "LB13.OUT1", TAcceptanceResult::Verdict::Pass)));
    EXPECT_FALSE(TAcceptanceFile::line(result(0, 1, "LB2.OUT3", TAcceptanceResult::Verdict::Pass)));
}

TEST(AcceptanceFile, RecordingReplacesTheSameEffectWhereItStandsAndKeepsEveryOtherLine)
{
    TTempFolder folder;
    const std::string path = TAcceptanceFile::pathFor(folder.path("site.2.usr"));
    EXPECT_EQ(path, folder.path("site.2.results.txt"));
    using V = TAcceptanceResult::Verdict;

    // A missing file holds nothing; the first result makes it with its header.
    TAcceptanceFile::Contents contents;
    ASSERT_TRUE(TAcceptanceFile::read(path, contents).ok());
    EXPECT_FALSE(contents.found);
    ASSERT_TRUE(TAcceptanceFile::record(path, {result(3, 1, "LB2.OUT3", V::Pass)}, &contents).ok());
    EXPECT_TRUE(contents.found);
    ASSERT_EQ(contents.results.size(), 1u);
    EXPECT_EQ(TTempFolder::readAll(path).substr(0, 2), "# ");

    // A hand-edited file: damaged lines, a comment, CR LF, no last line end.
    const std::string damaged = "IN-3\t1\tLB2.OUT3\tгоден\t<<<<<<< HEAD\r";
    TTempFolder::writeAll(path,
                          "# mine\n" + *TAcceptanceFile::line(result(3, 1, "LB2.OUT3", V::Pass)) + "\r\n" + damaged
                              + "\n" + *TAcceptanceFile::line(result(3, 2, "LB2.OUT3", V::Fail)) + "\n\xFF\xFE");
    ASSERT_TRUE(TAcceptanceFile::read(path, contents).ok());
    ASSERT_EQ(contents.results.size(), 2u);
    ASSERT_EQ(contents.damaged.size(), 2u);
    EXPECT_EQ(contents.damaged[0].line, 3);
    EXPECT_EQ(contents.damaged[0].reason, "ожидалось 8 полей через табуляцию, а их 5");
    EXPECT_EQ(contents.damaged[1].line, 5);

    ASSERT_TRUE(
        TAcceptanceFile::record(
            path, {result(3, 1, "LB2.OUT3", V::Fail, "тихо\tи хрипит"), result(4, 1, "CU.K1", V::Pass)}, &contents)
            .ok());
    EXPECT_EQ(TTempFolder::readAll(path),
              "# mine\n" + *TAcceptanceFile::line(result(3, 1, "LB2.OUT3", V::Fail, "тихо\tи хрипит")) + "\n" + damaged
                  + "\n" + *TAcceptanceFile::line(result(3, 2, "LB2.OUT3", V::Fail)) + "\n\xFF\xFE\n"
                  + *TAcceptanceFile::line(result(4, 1, "CU.K1", V::Pass)) + "\n");
    ASSERT_EQ(contents.results.size(), 3u);
    EXPECT_EQ(contents.results[0].note, "тихо\tи хрипит");
    EXPECT_EQ(contents.damaged.size(), 2u);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"site.2.results.txt"});

    // What cannot be recorded leaves the file as it was: a result that
    // cannot be written, a file too large to be a results file, a folder
    // the user may not write.
    const std::string before = TTempFolder::readAll(path);
    EXPECT_FALSE(TAcceptanceFile::record(path, {result(3, 1, "LB2.OUT3", V::Pass, "\xFF")}).ok());
    const std::string large = folder.path("large.results.txt");
    TTempFolder::writeAll(large, "#");
    ASSERT_EQ(::truncate(large.c_str(), static_cast<off_t>(TAcceptanceFile::FileLimit + 1)), 0);
    EXPECT_FALSE(TAcceptanceFile::record(large, {result(3, 1, "LB2.OUT3", V::Pass)}).ok());
    EXPECT_FALSE(TAcceptanceFile::read(large, contents).ok());
    EXPECT_EQ(TTempFolder::readAll(large).size(), TAcceptanceFile::FileLimit + 1);
    ::chmod(folder.path("").c_str(), 0555);
    if (::access(folder.path("").c_str(), W_OK) != 0) {
        const std::string fresh = folder.path("fresh.results.txt");
        EXPECT_FALSE(TAcceptanceFile::record(fresh, {result(3, 1, "LB2.OUT3", V::Pass)}).ok());
    }
    ::chmod(folder.path("").c_str(), 0755);
    EXPECT_EQ(TTempFolder::readAll(path), before);
}

TEST(AcceptanceFile, ZonesAndRelaysAreKeyedAsTheNamesFileKeysThem)
{
    // Every key of the names file's zones and relays, and no other, names a
    // target; a key typed in another case is spelt as the file spells it.
    std::vector<std::string> keys;
    for (const TSiteNames::Entry& e : TSiteNames::entries())
        if (e.section == "Zones" || e.section == "Relays")
            keys.push_back(e.key);
    EXPECT_EQ(keys.size(), static_cast<size_t>(Layout::OutputBits + 2 + Layout::RelayBits));
    for (const std::string& key : keys) {
        EXPECT_TRUE(TTargetKey::valid(key)) << key;
        std::string lower = key;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(TTargetKey::spelt(lower), key);
    }
    EXPECT_EQ(keys.front(), TTargetKey::output(1, 1));
    EXPECT_EQ(keys[Layout::OutputBits], TTargetKey::relay(0, 1));
    EXPECT_EQ(keys.back(), TTargetKey::relay(6, 4));
    for (const char* wrong : {"LB0.OUT1", "LB1.OUT5", "RM7.K1", "RM1.K5", "CU.K3", "CU.K0", "LB1OUT1", ""})
        EXPECT_EQ(TTargetKey::spelt(wrong), "") << wrong;
}
