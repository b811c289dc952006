#include "project/TProject.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {
using Heard = std::vector<std::pair<TProject::Change, int>>;

Heard& listen(TProject& project, Heard& heard)
{
    project.subscribe([&heard](TProject::Change change, int input) { heard.emplace_back(change, input); });
    return heard;
}
} // namespace

TEST(Project, EveryListenerHearsWhatChangedAndAnEditLeavesItUnsaved)
{
    TProject project;
    Heard first;
    Heard second;
    listen(project, first);
    listen(project, second);

    project.setInputName(24, "Пожар");
    project.setName("site");
    EXPECT_TRUE(project.saved()) << "names are saved with the project, not edits of the image";
    project.image().setByte(100, 0x5A);
    project.imageEdited();
    EXPECT_FALSE(project.saved());

    const Heard expected{
        {TProject::Change::InputName, 24}, {TProject::Change::ProjectName, 0}, {TProject::Change::Image, 0}};
    EXPECT_EQ(first, expected);
    EXPECT_EQ(second, expected);
    EXPECT_EQ(project.inputName(24), "Пожар");
    EXPECT_EQ(project.names()[23], "Пожар");
    EXPECT_THROW(project.setInputName(25, "x"), std::out_of_range);
}

TEST(Project, UndoAndRedoBringImageNamesAndNameBackAndKnowTheSavedState)
{
    TProject project;
    project.setName("site");
    project.clearHistory();
    project.markSaved("site");
    const TImage saved = project.image();

    project.image().setByte(7, 0x11);
    project.setInputName(3, "Газ");
    project.imageEdited();
    project.record();
    project.markSaved("renamed");
    ASSERT_TRUE(project.saved());
    project.setName("ABCD");
    project.image().setByte(8, 0x22);
    project.imageEdited();
    project.record();
    ASSERT_FALSE(project.saved());

    Heard heard;
    listen(project, heard);
    ASSERT_TRUE(project.undo());
    EXPECT_EQ(project.image().byte(8), 0x00);
    EXPECT_EQ(project.name(), "renamed");
    EXPECT_TRUE(project.saved()) << "back at the state saved under its new name";
    EXPECT_EQ(heard.size(), 25u) << "the 24 names and the project's name";

    ASSERT_TRUE(project.undo());
    EXPECT_EQ(project.image(), saved);
    EXPECT_EQ(project.inputName(3), "");
    EXPECT_EQ(project.name(), "renamed") << "a save's new name is kept by the steps before it";
    EXPECT_FALSE(project.saved());
    EXPECT_FALSE(project.undo());

    ASSERT_TRUE(project.redo());
    ASSERT_TRUE(project.redo());
    EXPECT_EQ(project.image().byte(8), 0x22);
    EXPECT_EQ(project.inputName(3), "Газ");
    EXPECT_EQ(project.name(), "ABCD");
    EXPECT_FALSE(project.saved());
    EXPECT_FALSE(project.redo());
}
