#include "project/TProjectName.h"

#include <gtest/gtest.h>

TEST(ProjectName, SixteenCharactersAreDeletedFromTheFirstDot)
{
    EXPECT_EQ(TProjectName::fromPath("/home/u/site.usr"), "site");
    EXPECT_EQ(TProjectName::fromPath("/home/u/site.2.usr"), "site");
    EXPECT_EQ(TProjectName::fromPath("a.b.usr"), "a");
    EXPECT_EQ(TProjectName::fromPath("/x.y/plain"), "plain");
    EXPECT_EQ(TProjectName::fromPath("site.0123456789abcdeKEPT"), "siteKEPT");
    EXPECT_EQ(TProjectName::fromPath("site.0123456789abcde"), "site");
    EXPECT_EQ(TProjectName::fromPath("/p/.usr"), "");
}

TEST(ProjectName, CyrillicCharactersAreCountedNotBytes)
{
    EXPECT_EQ(TProjectName::fromPath("/p/Объект.абвгдеёжзийклмнЦех"), "ОбъектЦех");
    EXPECT_EQ(TProjectName::fromPath("Школа №5.usr"), "Школа №5");
}

TEST(ProjectName, NamesFileTakesTheExtensionOfTheFileNameOnly)
{
    EXPECT_EQ(TProjectName::namesFilePath("/p/site.usr"), "/p/site.ini");
    EXPECT_EQ(TProjectName::namesFilePath("/p/a.b.usr"), "/p/a.b.ini");
    EXPECT_EQ(TProjectName::namesFilePath("/p.d/site"), "/p.d/site.ini");
    EXPECT_EQ(TProjectName::namesFilePath("site"), "site.ini");
}
