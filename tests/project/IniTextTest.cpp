#include "project/TIniText.h"

#include <gtest/gtest.h>

TEST(IniText, NamesMatchWithoutCaseAndBlanksAroundThemDoNotCount)
{
    const TIniText ini(" [ Main ] \r\n  KEY\t=\t v a l \t\r\n;Key=comment\r\n[Next]\r\nkey=other\r\n");
    EXPECT_EQ(ini.value("main", "key"), "v a l");
    EXPECT_EQ(ini.value("MAIN", "Key"), "v a l");
    EXPECT_EQ(ini.value("next", "KEY"), "other");
    EXPECT_EQ(ini.value("main", "absent"), std::nullopt);
    EXPECT_EQ(ini.value("absent", "key"), std::nullopt);
}

TEST(IniText, CommentsAndBrokenHeadersAreNoKeysOrSections)
{
    const TIniText ini("[S]\n;k=commented\n[broken\nk=in S\n");
    EXPECT_EQ(ini.value("S", "k"), "in S");
    EXPECT_EQ(ini.value("broken", "k"), std::nullopt);
}

TEST(IniText, SettingAValueChangesOnlyThatValue)
{
    const std::string before = "a=1\r\n[S]\r\n k =  old  ; not a comment\r\nj=2\n\n[T]\r\nk=3";
    TIniText ini(before);
    EXPECT_EQ(ini.text(), before);
    ini.setValue("s", "K", "new");
    EXPECT_EQ(ini.text(), "a=1\r\n[S]\r\n k =  new\r\nj=2\n\n[T]\r\nk=3");
}

TEST(IniText, NewKeysFollowTheLastKeyOfTheSectionWithTheFilesLineEnd)
{
    TIniText ini("[S]\r\nx=1\r\n\r\n; comment of T\r\n[T]\r\n");
    ini.setValue("S", "y", "2");
    ini.setValue("S", "z", "3");
    EXPECT_EQ(ini.text(), "[S]\r\nx=1\r\ny=2\r\nz=3\r\n\r\n; comment of T\r\n[T]\r\n");

    TIniText lastLine("[S]\nx=1");
    lastLine.setValue("S", "y", "2");
    EXPECT_EQ(lastLine.text(), "[S]\nx=1\ny=2\n");

    TIniText bareKey("[S]\nflag\n");
    bareKey.setValue("S", "FLAG", "on");
    EXPECT_EQ(bareKey.text(), "[S]\nflag=on\n");
}

TEST(IniText, MissingSectionIsAppendedAfterABlankLine)
{
    TIniText empty;
    empty.setValue("S", "k", "v");
    EXPECT_EQ(empty.text(), "[S]\r\nk=v\r\n");

    TIniText other("[T]\nk=1\n");
    other.setValue("S", "k", "v");
    EXPECT_EQ(other.text(), "[T]\nk=1\n\n[S]\nk=v\n");
}
