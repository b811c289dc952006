#include "project/TProject.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {
using Heard = std::vector<std::pair<TProject::Change, int>>;

TProject::Subscription listen(TProject& project, Heard& heard)
{
    return project.subscribe([&heard](TProject::Change change, int input) { heard.emplace_back(change, input); });
}
} // namespace

TEST(Project, EveryListenerHearsWhatChangedUntilItsSubscriptionEnds)
{
    TProject project;
    Heard first;
    Heard second;
    TProject::Subscription one = listen(project, first);
    TProject::Subscription two = listen(project, second);

    project.setInputName(24, "Пожар");
    project.setName("site");
    EXPECT_TRUE(project.saved()) << "names are saved with the project, not edits of the image";
    project.image().setByte(100, 0x5A);
    project.imageEdited();
    EXPECT_FALSE(project.saved());

    const Heard expected{{TProject::Change::InputName, 24},
                         {TProject::Change::ProjectName, 0},
                         {TProject::Change::Image, 0},
                         {TProject::Change::Saved, 0}};
    EXPECT_EQ(first, expected);
    EXPECT_EQ(second, expected);
    EXPECT_EQ(project.inputName(24), "Пожар");
    EXPECT_EQ(project.names()[23], "Пожар");
    EXPECT_THROW(project.setInputName(25, "x"), std::out_of_range);

    // A listener that ends a later one's subscription while a change is
    // told: the later one hears neither that change nor any after it.
    Heard third;
    TProject::Subscription later;
    const TProject::Subscription ending = project.subscribe([&later](TProject::Change, int) { later.reset(); });
    later = listen(project, third);
    project.setName("again");
    EXPECT_TRUE(third.empty());
    // Reset, or replaced by another, a subscription hears no more.
    first.clear();
    second.clear();
    two.reset();
    one = TProject::Subscription();
    project.setName("thrice");
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(second.empty());

    // A subscription may outlive its project.
    auto gone = std::make_unique<TProject>();
    TProject::Subscription outliving = listen(*gone, first);
    gone.reset();
    outliving.reset();
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
    const TProject::Subscription listening = listen(project, heard);
    ASSERT_TRUE(project.undo());
    EXPECT_EQ(project.image().byte(8), 0x00);
    EXPECT_EQ(project.name(), "renamed");
    EXPECT_TRUE(project.saved()) << "back at the state saved under its new name";
    EXPECT_EQ(heard.size(), 26u) << "the 24 names, the project's name and saved again";

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
