#include "project/TCp1251.h"
#include "project/TNamesFile.h"
#include "project/TProgramNamesFile.h"
#include "tests/project/TTempFolder.h"
#include "tests/support/TFileSizeLimit.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>

namespace {
TNamesFile::Names sampleNames()
{
    TNamesFile::Names names;
    names[0] = "Пожар";
    names[1] = " leading blank";
    names[2] = "trailing blank\t";
    names[3] = "inner  blanks";
    names[4] = "'single quoted'";
    names[5] = "\"double quoted\"";
    names[6] = "\"";
    names[7] = "'a\"";
    names[8] = "Евро € «к»";
    names[9] = "  ";
    names[10] = std::string(TNamesFile::ValueLimit, 'x');
    return names;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}
} // namespace

TEST(NamesFile, WrittenNamesAreWindows1251QuotedWhereNeededAndReadBackUnchanged)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    ASSERT_TRUE(TNamesFile::write(path, sampleNames()));

    const std::string text = TTempFolder::readAll(path);
    EXPECT_EQ(text.rfind("[Scenic]\r\nItem0=\xCF\xEE\xE6\xE0\xF0\r\nItem1=\" leading blank\"\r\n", 0), 0u);
    EXPECT_TRUE(contains(text, "\r\nItem2=\"trailing blank\t\"\r\nItem3=inner  blanks\r\n"));
    EXPECT_TRUE(contains(text, "\r\nItem4=\"'single quoted'\"\r\n"));
    EXPECT_TRUE(contains(text, "\r\nItem6=\"\r\nItem7='a\"\r\nItem8=\xC5\xE2\xF0\xEE \x88 \xAB\xEA\xBB\r\n"));
    EXPECT_EQ(text.substr(text.size() - 20), "\r\nItem22=\r\nItem23=\r\n");

    TNamesFile::Names read;
    read.fill("stale");
    ASSERT_TRUE(TNamesFile::read(path, read));
    EXPECT_EQ(read, sampleNames());
}

TEST(NamesFile, ReadsAFileWrittenOnWindowsAndKeepsEverythingButTheValuesOnSave)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    const auto items = [](const std::string& value) {
        std::string text;
        for (int i = 0; i < 24; ++i)
            if (i == 7)
                text += "Item7\r\n";
            else if (i != 5)
                text += (i % 2 ? "ITEM" : "item") + std::to_string(i) + " = " + value + std::to_string(i) + "\r\n";
        return text;
    };
    const std::string head = "; by hand\r\n[Other]\r\nItem0=not this\r\n\r\n  [ sCeNiC ]  \r\n";
    const std::string tail = "\r\n\r\n; about Last\r\n[Last]\r\nx=1";
    TTempFolder::writeAll(path, head + items("old") + "Note=keep" + tail);

    TNamesFile::Names read;
    ASSERT_TRUE(TNamesFile::read(path, read));
    EXPECT_EQ(read[0], "old0");
    EXPECT_EQ(read[23], "old23");
    EXPECT_EQ(read[5], "");
    EXPECT_EQ(read[7], "");

    TNamesFile::Names names;
    for (int i = 0; i < 24; ++i)
        names[static_cast<size_t>(i)] = "n" + std::to_string(i);
    ASSERT_TRUE(TNamesFile::write(path, names));
    std::string expected = head + items("n") + "Note=keep\r\nItem5=n5" + tail;
    expected.replace(expected.find("Item7\r\n"), 7, "Item7=n7\r\n");
    EXPECT_EQ(TTempFolder::readAll(path), expected);
}

TEST(NamesFile, ReadingFollowsWindowsForQuotesBlanksLengthLineEndsSectionsAndMissingFiles)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    // Each file with the names it gives IN-1..IN-n.
    const struct {
        std::string file;
        std::vector<std::string> names;
    } cases[] = {
        {"[Scenic]\nItem0=  \"  kept  \"  \nItem1='x'\nItem2=\"x'\nItem3=\x98\nItem4=" + std::string(3000, 'y')
             + "\nItem5=first\nItem5=second\n[Scenic]\nItem6=second section\n",
         {"  kept  ", "x", "\"x'", "\xEF\xBF\xBD", std::string(TNamesFile::ValueLimit, 'y'), "first", ""}},
        // Line ends of a CR alone, as old Macs and some editors write them.
        {"[Scenic]\rItem0=a\rItem1=\tb\tc\t\r\r[Other]\rItem2=no\r", {"a", "b\tc", ""}},
        // A second section of a name counts for nothing; a section's name
        // ends at its first ']' or with its line.
        {"[Scenic]\r\nItem0=a\r\n[Other]\r\n[ scenic ]\r\nItem1=b\r\n", {"a", ""}},
        {"[Scenic\r\nItem0=a\r\n[Scenic]x]\r\nItem1=b\r\n", {"a", ""}},
        {"[Scenic]]\nItem0=a\n", {"a"}},
    };
    for (const auto& c : cases) {
        TTempFolder::writeAll(path, c.file);
        TNamesFile::Names read;
        read.fill("stale");
        ASSERT_TRUE(TNamesFile::read(path, read));
        for (size_t i = 0; i < c.names.size(); ++i)
            EXPECT_EQ(read[i], c.names[i]) << "IN-" << i + 1 << " of " << c.file.substr(0, 60);
    }

    TNamesFile::Names read;
    ASSERT_TRUE(TNamesFile::read(folder.path("none.ini"), read));
    EXPECT_EQ(read, TNamesFile::Names{});
}

TEST(NamesFile, WhateverIsReadIsSavedAndReadBackUnchanged)
{
    TTempFolder folder;
    const std::string path = folder.path("odd.ini");
    using namespace std::string_literals;
    std::string rest;
    for (int i = 5; i < 24; ++i)
        rest += "Item" + std::to_string(i) + "=\n";
    rest += "[Zones]\rLB1.OUT2=\"z\0\"\r"s;
    const std::string file = "[Scenic]\nItem0=ab \0cd\nItem1=one\rtwo\r\nItem2=\x98x\x98\n"
                             "Item3=\"q\" \r x\nItem4=\r\n"s
        + rest;
    TTempFolder::writeAll(path, file);
    TNamesFile::Names read;
    TSiteNames site;
    TNamesFile::Reading reading;
    ASSERT_TRUE(TNamesFile::read(path, read, site, &reading));
    // A NUL ends a name as it ends the C string the Windows functions give.
    EXPECT_EQ(read[0], "ab ");
    EXPECT_EQ(read[1], "one");
    EXPECT_EQ(read[2], "\xEF\xBF\xBDx\xEF\xBF\xBD");
    EXPECT_EQ(read[3], "q");
    EXPECT_EQ(read[4], "");
    EXPECT_EQ(site.zone(1, 2), "z");
    ASSERT_EQ(reading.cut.size(), 1u) << "a NUL with nothing after it loses nothing";
    EXPECT_EQ(reading.cut[0].where + "|" + reading.cut[0].kept + "|" + reading.cut[0].lost, "IN-1|ab |cd");
    for (const std::string& name : read)
        EXPECT_TRUE(TNamesFile::canStore(name)) << name;

    // Saved unchanged, every line stays as it was, what followed a NUL too;
    // a changed name keeps its line's end, and a new key in a file of mixed
    // line ends ends in CR LF.
    ASSERT_TRUE(TNamesFile::write(path, read, site));
    EXPECT_EQ(TTempFolder::readAll(path), file);
    read[1] = "1";
    site.zones[0] = "new";
    ASSERT_TRUE(TNamesFile::write(path, read, site));
    EXPECT_EQ(TTempFolder::readAll(path),
              "[Scenic]\nItem0=ab \0cd\nItem1=1\rtwo\r\nItem2=\x98x\x98\nItem3=\"q\" \r x\nItem4=\r\n"s + rest
                  + "LB1.OUT1=new\r\n");
    TNamesFile::Names again;
    TSiteNames againSite;
    ASSERT_TRUE(TNamesFile::read(path, again, againSite));
    EXPECT_EQ(again, read);
    EXPECT_EQ(againSite, site);
}

TEST(NamesFile, AFileInUnicodeIsReadAsWhatItIsAndSavedInWindows1251)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    const std::u16string text = u"; Пожарная сигнализация\r\n[Scenic]\r\nItem0=Пожар €\r\nItem1=\"  x  \"\r\n"
                                u"Item2=";
    const std::u16string tail = u"\r\n[Zones]\r\nLB2.OUT3=2 этаж\r\n[Relays]\r\nCU.K1=Дымоудаление\r\n[Site]\r\n"
                                u"Object=Гостиница\r\n[Other]\r\nk=v\r\n";
    const auto utf16 = [](const std::u16string& units, bool bigEndian, bool mark = true) {
        std::string bytes = !mark ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t u : units) {
            const char high = static_cast<char>(u >> 8);
            const char low = static_cast<char>(u & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    // A name of 3000 characters beyond the code page's: cut to 2047, as the
    // Windows functions' buffer holds.
    const std::u16string longName(3000, u'Ж');
    std::string utf8Long;
    for (int i = 0; i < 3000; ++i)
        utf8Long += "Ж";
    const std::string utf8Text = "; Пожарная сигнализация\r\n[Scenic]\r\nItem0=Пожар €\r\nItem1=\"  x  \"\r\nItem2=";
    // UTF-16 without a mark is told by its zero bytes.
    for (const std::string& file :
         {utf16(text + longName + tail, false), utf16(text + longName + tail, true),
          utf16(text + longName + tail, false, false), utf16(text + longName + tail, true, false),
          "\xEF\xBB\xBF" + utf8Text + utf8Long
              + "\r\n[Zones]\r\nLB2.OUT3=2 этаж\r\n[Relays]\r\nCU.K1=Дымоудаление\r\n[Site]\r\nObject=Гостиница\r\n"
                "[Other]\r\nk=v\r\n"}) {
        TTempFolder::writeAll(path, file);
        TNamesFile::Names read;
        TSiteNames site;
        TNamesFile::Reading reading;
        ASSERT_TRUE(TNamesFile::read(path, read, site, &reading));
        EXPECT_NE(reading.encoding, TUnicodeText::Encoding::None);
        EXPECT_FALSE(reading.utf8);
        EXPECT_EQ(read[0], "Пожар €");
        EXPECT_EQ(read[1], "  x  ");
        EXPECT_EQ(read[2], utf8Long.substr(0, 2 * TNamesFile::ValueLimit));
        EXPECT_EQ(site.zone(2, 3) + "|" + site.controllerRelay(1) + "|" + site.object, "2 этаж|Дымоудаление|Гостиница");

        // Saved with nothing changed, the whole file is Windows-1251 without
        // the mark, the rest kept, and every name reads back unchanged.
        ASSERT_TRUE(TNamesFile::write(path, read, site));
        const std::string saved = TTempFolder::readAll(path);
        EXPECT_EQ(saved.rfind("; \xCF\xEE\xE6\xE0\xF0\xED\xE0\xFF", 0), 0u);
        EXPECT_TRUE(contains(saved, "\r\nItem1=\"  x  \"\r\n"));
        EXPECT_TRUE(contains(saved, "\r\n[Zones]\r\nLB2.OUT3=2 \xFD\xF2\xE0\xE6\r\n"));
        EXPECT_TRUE(contains(saved, "\r\n[Other]\r\nk=v\r\n"));
        TNamesFile::Names again;
        TSiteNames againSite;
        ASSERT_TRUE(TNamesFile::read(path, again, againSite, &reading));
        EXPECT_EQ(reading.encoding, TUnicodeText::Encoding::None);
        EXPECT_EQ(again, read);
        EXPECT_EQ(againSite, site);
    }

    // Decoding: a lone UTF-16 surrogate and an odd last byte read as
    // U+FFFD; the shortest sequence of each UTF-8 length decodes, the same
    // character overlong does not. UTF-16 without a mark takes 8 zero bytes,
    // all on one side, in every 256 units at least.
    EXPECT_EQ(TUnicodeText::toUtf8(utf16(u"a\xD800"
                                         u"b\xDC00",
                                         false),
                                   TUnicodeText::Encoding::Utf16Le),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(TUnicodeText::toUtf8(std::string("\xFE\xFF\xD8\x3D\xDE\x00\x00", 7), TUnicodeText::Encoding::Utf16Be),
              "\xF0\x9F\x98\x80\xEF\xBF\xBD");
    for (const std::string utf8 : {"\xC2\x80", "\xE0\xA0\x80", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
        std::string_view rest = utf8;
        EXPECT_TRUE(TUnicodeText::take(rest) && rest.empty()) << utf8;
    }
    for (const std::string utf8 : {"\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80"}) {
        std::string_view rest = utf8;
        EXPECT_FALSE(TUnicodeText::take(rest)) << utf8;
        EXPECT_EQ(rest.size(), utf8.size());
    }
    const auto unmarked = [](size_t units, size_t zeros, size_t side) {
        std::string bytes(2 * units, 'x');
        for (size_t z = 0; z < zeros; ++z)
            bytes[2 * z + side] = '\0';
        return TUnicodeText::marked(bytes);
    };
    EXPECT_EQ(unmarked(8 * 256, 8, 1), TUnicodeText::Encoding::Utf16Le);
    EXPECT_EQ(unmarked(8 * 256, 8, 0), TUnicodeText::Encoding::Utf16Be);
    EXPECT_EQ(unmarked(8 * 256 + 1, 8, 1), TUnicodeText::Encoding::None);
    EXPECT_EQ(unmarked(8, 8, 1), TUnicodeText::Encoding::Utf16Le);
    EXPECT_EQ(unmarked(8, 7, 1), TUnicodeText::Encoding::None);

    // A few stray zero bytes, all on one side, make no UTF-16 of a file in
    // the code page.
    TTempFolder::writeAll(path, std::string("[Scenic]\r\nItem0=\xCF\0\r\nItem1=x\0\r\n", 30));
    TNamesFile::Names stray;
    TNamesFile::Reading reading;
    ASSERT_TRUE(TNamesFile::read(path, stray, &reading));
    EXPECT_EQ(reading.encoding, TUnicodeText::Encoding::None);
    EXPECT_EQ(stray[0].rfind("П", 0), 0u);

    // Outside the names, text Windows-1251 cannot hold: the file is kept as it was.
    // A name holding it reads with '?' in its place, as Windows reads it.
    const std::string other = utf16(u"[Scenic]\r\nItem0=a\r\nItem1=火 Ж\r\n[Other]\r\nk=火警\r\n", false);
    TTempFolder::writeAll(path, other);
    TNamesFile::Names held;
    ASSERT_TRUE(TNamesFile::read(path, held));
    EXPECT_EQ(held[1], "? Ж");
    EXPECT_FALSE(TNamesFile::write(path, sampleNames()));
    EXPECT_EQ(TTempFolder::readAll(path), other);

    // A file too large for a names file is neither read nor replaced.
    const std::string big = "[Scenic]\r\nItem0=x\r\n" + std::string(TNamesFile::FileLimit, ';');
    TTempFolder::writeAll(path, big);
    TNamesFile::Names kept = sampleNames();
    const TFileResult result = TNamesFile::read(path, kept);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.fileName(), path);
    EXPECT_EQ(kept, sampleNames());
    EXPECT_FALSE(TNamesFile::write(path, sampleNames()));
    EXPECT_EQ(TTempFolder::readAll(path).size(), big.size());
}

TEST(NamesFile, MissingSectionIsAppendedWithTheFilesLineEnds)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    // The file's line ends where they are all alike, CR LF where they differ.
    for (const auto& [file, end] : {std::pair<std::string, std::string>{"[Other]\nkey=value", "\n"},
                                    {"[Other]\rkey=value", "\r"},
                                    {"[Other]\r\nkey=value", "\r\n"},
                                    {"[Other]\rk=v\nkey=value", "\r\n"}}) {
        TTempFolder::writeAll(path, file);
        ASSERT_TRUE(TNamesFile::write(path, {}));
        std::string items;
        for (int i = 0; i < 24; ++i)
            items += "Item" + std::to_string(i) + "=" + end;
        EXPECT_EQ(TTempFolder::readAll(path), file + end + end + "[Scenic]" + end + items);
    }
}

TEST(NamesFile, NameWindows1251CannotHoldIsRefusedAndNothingIsWritten)
{
    EXPECT_TRUE(TNamesFile::canStore("Пожар € №"));
    EXPECT_FALSE(TNamesFile::canStore("Смайл 😀"));
    EXPECT_FALSE(TNamesFile::canStore("火警"));
    EXPECT_FALSE(TNamesFile::canStore("two\nlines"));
    EXPECT_FALSE(TNamesFile::canStore("\xFF\xFE"));
    EXPECT_FALSE(TNamesFile::canStore(std::string(TNamesFile::ValueLimit + 1, 'x')));

    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    const std::string old = "[Scenic]\r\nItem0=old\r\n";
    TTempFolder::writeAll(path, old);
    TNamesFile::Names names = sampleNames();
    names[6] = "Смайл 😀";
    const TFileResult result = TNamesFile::write(path, names);
    EXPECT_EQ(result.fileName(), path);
    EXPECT_TRUE(contains(result.reason(), "IN-7"));
    EXPECT_EQ(TTempFolder::readAll(path), old);
    EXPECT_FALSE(TNamesFile::write(folder.path("new.ini"), names));
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"site.ini"});
}

TEST(NamesFile, SiteNamesHaveSectionsOfTheirOwnAndCostNothingWhenAbsent)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    // A names file of the old format: [Scenic] alone, as Windows writes it.
    std::string old = "[Scenic]\r\n";
    for (int i = 0; i < 24; ++i)
        old += "Item" + std::to_string(i) + "=" + (i == 0 ? "\xCF\xEE\xE6\xE0\xF0" : "") + "\r\n";
    TTempFolder::writeAll(path, old);
    TNamesFile::Names algorithms;
    TSiteNames read;
    read.object = "stale";
    ASSERT_TRUE(TNamesFile::read(path, algorithms, read));
    EXPECT_EQ(algorithms[0], "Пожар");
    EXPECT_EQ(read, TSiteNames{});
    ASSERT_TRUE(TNamesFile::write(path, algorithms, {}));
    EXPECT_EQ(TTempFolder::readAll(path), old) << "no names, no sections";

    TSiteNames site;
    site.object = " Гостиница «Северная» ";
    site.engineer = "Иванов И. И.";
    site.documentNumber = "ОП-2";
    site.designCode = "1234-СОУЭ";
    site.zones[static_cast<size_t>(Layout::outputBit(2, 3))] = "2 этаж, коридор";
    site.zones[static_cast<size_t>(Layout::outputBit(12, 4))] = "\"Холл\"";
    site.controllerRelays[0] = "Дымоудаление";
    site.relays[static_cast<size_t>(Layout::relayBit(6, 4))] = "Лифты";
    site.causes[2] = "ППК, выход 3";
    site.messages[9] = "Эвакуация";
    ASSERT_TRUE(TNamesFile::write(path, algorithms, site));
    EXPECT_EQ(TTempFolder::readAll(path),
              old
                  + "\r\n[Site]\r\nObject=\" \xC3\xEE\xF1\xF2\xE8\xED\xE8\xF6\xE0 "
                    "\xAB\xD1\xE5\xE2\xE5\xF0\xED\xE0\xFF\xBB \"\r\n"
                    "Engineer=\xC8\xE2\xE0\xED\xEE\xE2 \xC8. \xC8.\r\n"
                    "DocumentNumber=\xCE\xCF-2\r\nDesignCode=1234-\xD1\xCE\xD3\xDD\r\n"
                    "\r\n[Zones]\r\nLB2.OUT3=2 \xFD\xF2\xE0\xE6, \xEA\xEE\xF0\xE8\xE4\xEE\xF0\r\n"
                    "LB12.OUT4=\"\"\xD5\xEE\xEB\xEB\"\"\r\n"
                    "\r\n[Relays]\r\nCU.K1=\xC4\xFB\xEC\xEE\xF3\xE4\xE0\xEB\xE5\xED\xE8\xE5\r\n"
                    "RM6.K4=\xCB\xE8\xF4\xF2\xFB\r\n"
                    "\r\n[Causes]\r\nIN-3=\xCF\xCF\xCA, \xE2\xFB\xF5\xEE\xE4 3\r\n"
                    "\r\n[Messages]\r\nMS1.M2=\xDD\xE2\xE0\xEA\xF3\xE0\xF6\xE8\xFF\r\n");
    ASSERT_TRUE(TNamesFile::read(path, algorithms, read));
    EXPECT_EQ(read, site);
    EXPECT_EQ(
        read.titleBlock(),
        (std::vector<std::pair<std::string, std::string>>{{"Номер документа", "ОП-2"}, {"Шифр проекта", "1234-СОУЭ"}}));
    ASSERT_TRUE(TNamesFile::write(path, algorithms));
    ASSERT_TRUE(TNamesFile::read(path, algorithms, read));
    EXPECT_EQ(read, site) << "saving the algorithm names alone keeps the other sections";

    // A name that cannot be stored writes nothing; names taken away take
    // their sections with them.
    const std::string withNames = TTempFolder::readAll(path);
    TSiteNames refused = site;
    refused.relays[0] = "two\nlines";
    const TFileResult result = TNamesFile::write(path, algorithms, refused);
    EXPECT_EQ(result.kind(), TFileResult::Kind::NameRefused);
    EXPECT_EQ(result.value(), "[Relays] RM1.K1");
    EXPECT_TRUE(contains(result.reason(), "[Relays] RM1.K1")) << result.reason();
    EXPECT_EQ(TTempFolder::readAll(path), withNames);
    ASSERT_TRUE(TNamesFile::write(path, algorithms, {}));
    EXPECT_EQ(TTempFolder::readAll(path), old);

    // Only the first of two sections of a name, and the first of two keys,
    // count: taking a name away never brings up the second's, and the
    // second section stays as it was.
    const std::string twice = old + "[Zones]\r\nLB1.OUT1=\r\nlb1.out1=hidden\r\n[Zones]\r\nLB1.OUT1=second\r\n";
    TTempFolder::writeAll(path, twice);
    ASSERT_TRUE(TNamesFile::read(path, algorithms, read));
    EXPECT_EQ(read.zone(1, 1), "");
    ASSERT_TRUE(TNamesFile::write(path, algorithms, read));
    EXPECT_EQ(TTempFolder::readAll(path), old + "[Zones]\r\n[Zones]\r\nLB1.OUT1=second\r\n");
    ASSERT_TRUE(TNamesFile::read(path, algorithms, read));
    EXPECT_EQ(read, TSiteNames{});
}

TEST(NamesFile, EveryWindows1251ByteReadsAsTheSystemConverterReadsItAndWritesBack)
{
    // The built-in table against the C library's converter, where it has one.
    const iconv_t cd = ::iconv_open("UTF-8", "CP1251");
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string text = TCp1251::toUtf8(byte);
        EXPECT_EQ(TCp1251::fromUtf8(text), byte) << "byte " << b;
        if (cd == reinterpret_cast<iconv_t>(-1) || b == 0x98)
            continue;
        char in = static_cast<char>(b);
        char* src = &in;
        size_t srcLeft = 1;
        char out[8];
        char* dst = out;
        size_t dstLeft = sizeof out;
        ASSERT_NE(::iconv(cd, &src, &srcLeft, &dst, &dstLeft), static_cast<size_t>(-1)) << "byte " << b;
        EXPECT_EQ(text, std::string(out, sizeof out - dstLeft)) << "byte " << b;
    }
    if (cd != reinterpret_cast<iconv_t>(-1))
        ::iconv_close(cd);
    EXPECT_EQ(TCp1251::toUtf8("\x98"), "\xEF\xBF\xBD") << "visibly a character that could not be read";
    // Overlong forms and surrogates are no UTF-8, even where they would decode to ASCII.
    EXPECT_FALSE(TCp1251::fromUtf8("\xC1\x81"));
    EXPECT_FALSE(TCp1251::fromUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(TCp1251::fromUtf8("\xD0"));
}

TEST(NamesFile, FailedWritesReportTheReasonAndLoseNothing)
{
    TTempFolder folder;
    ::mkdir(folder.path("dir.ini").c_str(), 0755);
    EXPECT_EQ(TNamesFile::write(folder.path("no/such/site.ini"), sampleNames()).code(), ENOENT);
    EXPECT_EQ(TNamesFile::write(folder.path("dir.ini"), sampleNames()).code(), EISDIR);
    // The disk takes no more than a few bytes (in a child process): the old
    // file stays whole and no temporary file is left.
    const std::string old = "[Scenic]\r\nItem0=old\r\n";
    TTempFolder::writeAll(folder.path("site.ini"), old);
    EXPECT_EQ(
        TFileSizeLimit::inChild(32, [&] { return TNamesFile::write(folder.path("site.ini"), sampleNames()).code(); }),
        EFBIG);
    EXPECT_EQ(TTempFolder::readAll(folder.path("site.ini")), old);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"dir.ini", "site.ini"}));
}

TEST(ProgramNamesFile, BesideTheExecutableWhenWritableElseInTheDataFolder)
{
    TTempFolder folder;
    ::mkdir(folder.path("bin").c_str(), 0755);
    EXPECT_EQ(TProgramNamesFile::path(folder.path("bin/kt7config")), folder.path("bin/kt7config.ini"));

    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::setenv("XDG_DATA_HOME", folder.path("data").c_str(), 1);
    const std::string unwritable = folder.path("missing/kt7config");
    ASSERT_TRUE(TProgramNamesFile::write(unwritable, sampleNames()));
    TNamesFile::Names read;
    ASSERT_TRUE(TNamesFile::read(folder.path("data/kt7config/kt7config.ini"), read));
    EXPECT_EQ(read, sampleNames());

    ::setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
    if (const char* home = std::getenv("HOME")) {
        EXPECT_EQ(TProgramNamesFile::path(unwritable), std::string(home) + "/.local/share/kt7config/kt7config.ini");
    }
    xdg ? ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
}
