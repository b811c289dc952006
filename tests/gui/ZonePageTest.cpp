#include "tests/gui/TMainFixture.h"

#include "app/TStateMarks.h"
#include "editor/TCheckGrid.h"
#include "image/ImageLayout.h"

#include <QLabel>
#include <QStackedWidget>

using ZonePage = TMainFixture;

namespace {
TImage withPaging(int splitters)
{
    TImage image;
    image.setValue(Layout::SplitterCount.at(Layout::SystemNode), static_cast<uint8_t>(splitters - 1));
    image.setValue(Layout::PagingFlag.at(Layout::SystemNode), 1);
    image.setValue(Layout::ConsoleCount.at(Layout::SystemNode), 1);
    return image;
}
} // namespace

TEST_F(ZonePage, BoxesWriteTheMaskOfTheSelectedNode)
{
    reloadWith(withPaging(12));
    ASSERT_TRUE(select(Main->groupsRoot()));
    ASSERT_TRUE(select(Main->groupNode(3)));
    EXPECT_EQ(ctl<QStackedWidget>("PageControl")->currentIndex(), TMain::PageZones);
    EXPECT_EQ(ctl<QLabel>("StaticText7")->text(), "Прогр. групп телеф. пейджинга -> Группа 3 (Код-203)");
    EXPECT_EQ(ctl<QLabel>("Label12")->text(), "Назначте выходы разветвителей соответствующие данной группе");
    EXPECT_EQ(box(1)->property("Tag").toInt(), 0);
    EXPECT_EQ(box(48)->property("Tag").toInt(), 47);
    box(1)->click();
    EXPECT_EQ(Main->image().byte(1572), 0x80);

    ASSERT_TRUE(select(Main->groupsRoot()));
    ASSERT_TRUE(select(Main->groupNode(12)));
    box(48)->click();
    EXPECT_EQ(Main->image().byte(1631), 0x01);

    ASSERT_TRUE(select(Main->buttonsRoot()));
    ASSERT_TRUE(select(Main->buttonNode(12)));
    EXPECT_EQ(ctl<QLabel>("Label12")->text(), "Назначте выходы разветвителей активируемые данной кнопкой");
    box(1)->click();
    box(48)->click();
    EXPECT_EQ(Main->image().byte(1554), 0x80);
    EXPECT_EQ(Main->image().byte(1559), 0x01);
    for (int b = 1555; b < 1559; ++b)
        EXPECT_EQ(Main->image().byte(b), 0) << b;
    EXPECT_EQ(Main->image().byte(1632), 0);
}

TEST_F(ZonePage, NodeMarkFollowsTheFirstBoxAtOnce)
{
    reloadWith(withPaging(1));
    Main->setSaved(true);
    ASSERT_TRUE(select(Main->groupsRoot()));
    ASSERT_TRUE(select(Main->groupNode(5)));
    EXPECT_EQ(mark(Main->groupNode(5)), TStateMarks::Off);
    box(1)->click();
    EXPECT_EQ(mark(Main->groupNode(5)), TStateMarks::On);
    EXPECT_FALSE(Main->saved());
    box(1)->click();
    EXPECT_EQ(mark(Main->groupNode(5)), TStateMarks::Off);
    EXPECT_EQ(Main->image(), withPaging(1));
}

TEST_F(ZonePage, BitsOfAbsentSplittersShowClearedAndStay)
{
    TImage image = withPaging(2);
    image.setByte(Layout::groupOffset(2) + 2, 0xF0); // splitter 5
    image.setByte(Layout::groupOffset(2), 0x42);     // splitters 1 and 2
    reloadWith(image);
    ASSERT_TRUE(select(Main->groupsRoot()));
    ASSERT_TRUE(select(Main->groupNode(2)));
    for (int p = 0; p < 48; ++p) {
        EXPECT_EQ(box(1 + p)->isEnabled(), p < 8) << p;
        EXPECT_EQ(box(1 + p)->isChecked(), p == 1 || p == 6) << p;
    }
    box(1)->click();
    EXPECT_EQ(Main->image().byte(Layout::groupOffset(2)), 0xC2);
    EXPECT_EQ(Main->image().byte(Layout::groupOffset(2) + 2), 0xF0);

    // A click on a splitter's number switches its four outputs as one change:
    // all on, then all off; an absent splitter's number does nothing.
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    auto* grid = qobject_cast<TCheckGrid*>(box(1)->parentWidget());
    ASSERT_NE(grid, nullptr);
    QTest::mouseClick(grid->columnHeading(1), Qt::LeftButton);
    EXPECT_EQ(Main->image().byte(Layout::groupOffset(2)), 0xCF);
    EXPECT_TRUE(box(5)->isChecked() && box(8)->isChecked());
    QCoreApplication::processEvents();
    QTest::mouseClick(grid->columnHeading(1), Qt::LeftButton);
    EXPECT_EQ(Main->image().byte(Layout::groupOffset(2)), 0xC0);
    EXPECT_FALSE(box(7)->isChecked());
    QTest::mouseClick(grid->columnHeading(4), Qt::LeftButton);
    EXPECT_EQ(Main->image().byte(Layout::groupOffset(2) + 2), 0xF0);
    QCoreApplication::processEvents();
    QTest::keyClick(Main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Main->image().byte(Layout::groupOffset(2)), 0xCF);
}

TEST_F(ZonePage, SameMaskShowsTheSameWhateverWasShownBefore)
{
    TImage image = withPaging(12);
    image.setByte(Layout::groupOffset(1), 0xA5);
    image.setByte(Layout::buttonOffset(1), 0x5A);
    reloadWith(image);
    ASSERT_TRUE(select(Main->groupsRoot()));
    ASSERT_TRUE(select(Main->buttonsRoot()));
    const auto shown = [&] {
        QString bits;
        for (int p = 0; p < 48; ++p)
            bits += box(1 + p)->isChecked() ? '1' : '0';
        return bits;
    };
    ASSERT_TRUE(select(Main->groupNode(1)));
    const QString group = shown();
    ASSERT_TRUE(select(Main->buttonNode(1)));
    EXPECT_EQ(shown().left(8), "01011010");
    ASSERT_TRUE(select(Main->groupNode(1)));
    EXPECT_EQ(shown(), group);
    EXPECT_EQ(group.left(8), "10100101");
    EXPECT_EQ(Main->image(), image);
}

TEST_F(ZonePage, MasksStayWhenConsolesAndPagingGo)
{
    TImage image = withPaging(12);
    image.setByte(Layout::buttonOffset(4), 0x11);
    image.setByte(Layout::groupOffset(4), 0x22);
    reloadWith(image);
    choose("CBPult", 0);
    select(Main->settingsNode());
    ctl<QCheckBox>("CBPhone")->click();
    EXPECT_EQ(Main->image().byte(Layout::buttonOffset(4)), 0x11);
    EXPECT_EQ(Main->image().byte(Layout::groupOffset(4)), 0x22);
    EXPECT_TRUE(select(Main->groupsRoot()));
    EXPECT_FALSE(Main->groupsRoot()->isExpanded());
    EXPECT_FALSE(ctl<QWidget>("StPhone")->isHidden());
}
