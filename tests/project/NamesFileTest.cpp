#include "TTempFolder.h"
#include "project/TNamesFile.h"
#include "project/TProgramNamesFile.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
TNamesFile::Names sampleNames()
{
    TNamesFile::Names names;
    names[0] = "Пожар";
    names[1] = " leading blank";
    names[2] = "trailing blank ";
    names[3] = "inner  blanks here";
    names[4] = "'single quoted'";
    names[5] = "\"double quoted\"";
    names[6] = "\"";
    names[7] = "'a\"";
    names[8] = "Евро € и «кавычки»";
    names[9] = "\tTab";
    names[10] = "  ";
    names[11] = std::string(TNamesFile::ValueLimit, 'x');
    names[23] = "Эвакуация 2 этаж";
    return names;
}

std::string itemLines(const std::string& newline)
{
    std::string text;
    for (int i = 0; i < TNamesFile::Count; ++i)
        text += "Item" + std::to_string(i) + "=" + newline;
    return text;
}
} // namespace

TEST(NamesFile, WhatIsWrittenReadsBackUnchanged)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    ASSERT_TRUE(TNamesFile::write(path, sampleNames()));

    TNamesFile::Names read;
    read.fill("stale");
    ASSERT_TRUE(TNamesFile::read(path, read));
    EXPECT_EQ(read, sampleNames());
}

TEST(NamesFile, ValuesOnDiskAreWindows1251AndQuotedWhereWindowsWouldStripThem)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    ASSERT_TRUE(TNamesFile::write(path, sampleNames()));
    const std::string text = TTempFolder::readAll(path);

    EXPECT_EQ(text.rfind("[Scenic]\r\nItem0=\xCF\xEE\xE6\xE0\xF0\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nItem1=\" leading blank\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nItem2=\"trailing blank \"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nItem3=inner  blanks here\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nItem4=\"'single quoted'\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nItem6=\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nItem7='a\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\xC5\xE2\xF0\xEE \x88 \xE8 \xAB\xEA"), std::string::npos);
    EXPECT_NE(text.find("\r\nItem12=\r\n"), std::string::npos);
    const std::string last = "\r\nItem23=\xDD\xE2\xE0\xEA\xF3\xE0\xF6\xE8\xFF 2 \xFD\xF2\xE0\xE6\r\n";
    ASSERT_GT(text.size(), last.size());
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
}

TEST(NamesFile, ReadsAFileWrittenOnWindowsAndKeepsEverythingButTheValuesOnSave)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    std::string items;
    for (int i = 0; i < 24; ++i)
        if (i != 5)
            items += (i % 2 ? "ITEM" : "item") + std::to_string(i) + " = old" + std::to_string(i)
                + "\r\n";
    const std::string head = "; written by hand\r\n[Other]\r\nItem0=not this one\r\n\r\n"
                             "  [ sCeNiC ]  \r\n";
    const std::string tail = "Note=keep me\r\n\r\n; about Last\r\n[Last]\r\nx=1";
    TTempFolder::writeAll(path, head + items + tail);

    TNamesFile::Names read;
    ASSERT_TRUE(TNamesFile::read(path, read));
    EXPECT_EQ(read[0], "old0");
    EXPECT_EQ(read[23], "old23");
    EXPECT_EQ(read[5], "");

    TNamesFile::Names names;
    for (int i = 0; i < 24; ++i)
        names[static_cast<size_t>(i)] = "n" + std::to_string(i);
    ASSERT_TRUE(TNamesFile::write(path, names));

    std::string expectedItems;
    for (int i = 0; i < 24; ++i)
        if (i != 5)
            expectedItems += (i % 2 ? "ITEM" : "item") + std::to_string(i) + " = n"
                + std::to_string(i) + "\r\n";
    EXPECT_EQ(TTempFolder::readAll(path),
              head + expectedItems + "Note=keep me\r\nItem5=n5\r\n\r\n; about Last\r\n[Last]\r\nx=1");
}

TEST(NamesFile, WindowsReadingRulesForQuotesBlanksAndLength)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    TTempFolder::writeAll(path, "[Scenic]\nItem0=  \"  kept  \"  \nItem1='x'\nItem2=\"x'\nItem3=\"\"\n"
                                "Item4=\x98\nItem5\nItem6=" + std::string(3000, 'y') + "\n"
                                "Item7=first\nItem7=second\n[Scenic]\nItem8=second section\n");
    TNamesFile::Names read;
    ASSERT_TRUE(TNamesFile::read(path, read));
    EXPECT_EQ(read[0], "  kept  ");
    EXPECT_EQ(read[1], "x");
    EXPECT_EQ(read[2], "\"x'");
    EXPECT_EQ(read[3], "");
    EXPECT_EQ(read[4], "\xEF\xBF\xBD");
    EXPECT_EQ(read[5], "");
    EXPECT_EQ(read[6], std::string(TNamesFile::ValueLimit, 'y'));
    EXPECT_EQ(read[7], "first");
    EXPECT_EQ(read[8], "");
}

TEST(NamesFile, LineEndsOfAnLfFileAreKeptAndAMissingSectionIsAppended)
{
    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    TTempFolder::writeAll(path, "[Other]\nkey=value");
    ASSERT_TRUE(TNamesFile::write(path, {}));
    EXPECT_EQ(TTempFolder::readAll(path), "[Other]\nkey=value\n\n[Scenic]\n" + itemLines("\n"));
}

TEST(NamesFile, MissingFileReadsAsEmptyNames)
{
    TTempFolder folder;
    TNamesFile::Names read;
    read.fill("stale");
    ASSERT_TRUE(TNamesFile::read(folder.path("none.ini"), read));
    EXPECT_EQ(read, TNamesFile::Names{});
}

TEST(NamesFile, NameWindows1251CannotHoldIsRefusedAndNothingIsWritten)
{
    EXPECT_TRUE(TNamesFile::canStore("Пожар € №"));
    EXPECT_TRUE(TNamesFile::canStore(""));
    EXPECT_FALSE(TNamesFile::canStore("Смайл 😀"));
    EXPECT_FALSE(TNamesFile::canStore("火警"));
    EXPECT_FALSE(TNamesFile::canStore("two\nlines"));
    EXPECT_FALSE(TNamesFile::canStore("cr\r"));
    EXPECT_FALSE(TNamesFile::canStore("\xFF\xFE"));
    EXPECT_FALSE(TNamesFile::canStore(std::string(TNamesFile::ValueLimit + 1, 'x')));

    TTempFolder folder;
    const std::string path = folder.path("site.ini");
    const std::string old = "[Scenic]\r\nItem0=old\r\n";
    TTempFolder::writeAll(path, old);
    TNamesFile::Names names = sampleNames();
    names[6] = "Смайл 😀";
    const TFileResult result = TNamesFile::write(path, names);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.fileName(), path);
    EXPECT_NE(result.reason().find("IN-7"), std::string::npos);
    EXPECT_EQ(TTempFolder::readAll(path), old);

    EXPECT_FALSE(TNamesFile::write(folder.path("new.ini"), names));
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"site.ini"});
}

TEST(NamesFile, FailedWritesReportTheReasonAndLoseNothing)
{
    TTempFolder folder;
    EXPECT_EQ(TNamesFile::write(folder.path("no/such/site.ini"), sampleNames()).code(), ENOENT);
    ::mkdir(folder.path("dir.ini").c_str(), 0755);
    EXPECT_EQ(TNamesFile::write(folder.path("dir.ini"), sampleNames()).code(), EISDIR);
    EXPECT_EQ(TNamesFile::write("/dev/full", sampleNames()).code(), ENOSPC);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"dir.ini"});
}

TEST(ProgramNamesFile, BesideTheExecutableWhenWritableElseInTheDataFolder)
{
    TTempFolder folder;
    ::mkdir(folder.path("bin").c_str(), 0755);
    EXPECT_EQ(TProgramNamesFile::path(folder.path("bin/kt7config")), folder.path("bin/kt7config.ini"));

    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    ::setenv("XDG_DATA_HOME", folder.path("data").c_str(), 1);
    const std::string unwritable = folder.path("missing/kt7config");
    EXPECT_EQ(TProgramNamesFile::path(unwritable), folder.path("data/kt7config/kt7config.ini"));

    ASSERT_TRUE(TProgramNamesFile::write(unwritable, sampleNames()));
    TNamesFile::Names read;
    ASSERT_TRUE(TNamesFile::read(folder.path("data/kt7config/kt7config.ini"), read));
    EXPECT_EQ(read, sampleNames());

    ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
    if (const char* home = std::getenv("HOME")) {
        EXPECT_EQ(TProgramNamesFile::path(unwritable),
                  std::string(home) + "/.local/share/kt7config/kt7config.ini");
    }
    if (oldXdg)
        ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}
