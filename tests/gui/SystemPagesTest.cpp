#include "tests/gui/TMainFixture.h"

#include "image/ImageLayout.h"
#include "report/TReportInput.h"
#include "widgets/TRadioGroup.h"

#include <QComboBox>
#include <QStackedWidget>

using SystemPages = TMainFixture;

namespace {
int usableCount(const TMainFixture&, const std::function<QCheckBox*(int)>& box, int count)
{
    int n = 0;
    for (int p = 0; p < count; ++p)
        n += box(p)->isEnabled() ? 1 : 0;
    return n;
}
} // namespace

TEST_F(SystemPages, ZeroImageOffersOneSplitterAndNothingElse)
{
    reloadWith(TImage());
    EXPECT_EQ(ctl<QComboBox>("CBCount")->currentText(), "1");
    EXPECT_EQ(ctl<QComboBox>("CBPult")->currentText(), "0");
    EXPECT_EQ(ctl<QComboBox>("CBMod")->currentText(), "0");
    EXPECT_EQ(ctl<QComboBox>("CBRele")->currentText(), "0");
    EXPECT_FALSE(ctl<QCheckBox>("CBPhone")->isChecked());
    EXPECT_FALSE(ctl<QCheckBox>("CBMusic")->isChecked());
    for (int p = 0; p < 48; ++p) {
        EXPECT_EQ(box(1 + p)->isEnabled(), p < 4) << p;
        EXPECT_EQ(box(97 + p)->isEnabled(), p < 4) << p;
        EXPECT_FALSE(box(49 + p)->isEnabled()) << p;
    }
    EXPECT_EQ(usableCount(
                  *this, [&](int p) { return box(146 + p); }, 3),
              0);
    EXPECT_FALSE(box(169)->isEnabled());
    EXPECT_FALSE(box(170)->isEnabled());
    EXPECT_TRUE(ctl<TRadioGroup>("RG1")->isEnabled());
    EXPECT_FALSE(ctl<TRadioGroup>("RG2")->isEnabled());
    EXPECT_FALSE(ctl<TRadioGroup>("RG3")->isEnabled());
    EXPECT_FALSE(ctl<TRadioGroup>("RG4")->isEnabled());
}

TEST_F(SystemPages, CountsWriteOnlyTheirBits)
{
    TImage image;
    image.setByte(32, 0x03);
    image.setByte(33, 0x05);
    reloadWith(image);
    choose("CBCount", 11);
    EXPECT_EQ(Main->image().byte(32), 0xB3);
    choose("CBPult", 3);
    EXPECT_EQ(Main->image().byte(32), 0xBF);
    choose("CBRele", 6);
    choose("CBMod", 3);
    EXPECT_EQ(Main->image().byte(33), 0xF5);
    EXPECT_FALSE(Main->saved());
}

TEST_F(SystemPages, SplitterCountDecidesUsableOutputsAndKeepsBits)
{
    TImage image;
    image.setByte(32, 0x01);     // music on
    image.setByte(34 + 5, 0xFF); // splitters 11 and 12 carry music
    reloadWith(image);
    choose("CBCount", 11);
    for (int p = 0; p < 48; ++p)
        EXPECT_TRUE(box(49 + p)->isEnabled()) << p;
    choose("CBCount", 2);
    for (int p = 0; p < 48; ++p) {
        EXPECT_EQ(box(49 + p)->isEnabled(), p < 12) << p;
        EXPECT_EQ(box(1 + p)->isEnabled(), p < 12) << p;
        EXPECT_EQ(box(97 + p)->isEnabled(), p < 12) << p;
    }
    select(Main->settingsNode());
    EXPECT_FALSE(box(49 + 47)->isChecked());
    EXPECT_EQ(Main->image().byte(39), 0xFF);
}

TEST_F(SystemPages, ReportAndPageMarkMusicOnlyOnPresentSplitters)
{
    TImage image;
    image.setByte(32, 0x11); // 2 splitters, music on
    for (int b = 34; b < 40; ++b)
        image.setByte(b, 0xFF);
    const auto marked = [&](int splitters, const char* when) {
        const TReportInput report = Main->reportInput();
        for (int p = 0; p < 48; ++p) {
            ASSERT_EQ(report.musicOutputs[static_cast<size_t>(p)], p < 4 * splitters) << when << " box " << p;
            ASSERT_EQ(box(49 + p)->isChecked(), p < 4 * splitters) << when << " box " << p;
        }
    };
    // Right after the load, before the page was ever shown.
    reloadWith(image);
    marked(2, "loaded");
    pick("CBCount", 0);
    marked(1, "one splitter");
    pick("CBCount", 11);
    marked(12, "twelve splitters");
    ASSERT_TRUE(click(Main->settingsNode()));
    marked(12, "page shown");
    EXPECT_EQ(Main->image().byte(39), 0xFF);
}

TEST_F(SystemPages, MusicOffClearsOnlyTheBoxesShownTicked)
{
    TImage image;
    image.setByte(32, 0x11); // 2 splitters, music on
    image.setByte(34, 0x84); // bits 0 and 5 ticked
    image.setByte(36, 0xF0); // splitter 5, absent: kept
    reloadWith(image);
    select(Main->settingsNode());
    EXPECT_TRUE(box(49)->isChecked());
    EXPECT_TRUE(box(54)->isChecked());
    ctl<QCheckBox>("CBMusic")->click();
    EXPECT_EQ(Main->image().byte(32), 0x10);
    EXPECT_EQ(Main->image().byte(34), 0x00);
    EXPECT_EQ(Main->image().byte(36), 0xF0);
    for (int p = 0; p < 48; ++p)
        EXPECT_FALSE(box(49 + p)->isEnabled());

    ctl<QCheckBox>("CBMusic")->click();
    for (int p = 0; p < 48; ++p) {
        EXPECT_EQ(box(49 + p)->isEnabled(), p < 8) << p;
        EXPECT_FALSE(box(49 + p)->isChecked()) << p;
    }
    box(49 + 7)->click();
    EXPECT_EQ(Main->image().byte(34), 0x01);
}

TEST_F(SystemPages, RelayAndMessageModulesDecideTheStageControls)
{
    TImage image;
    image.setByte(Layout::stageOffset(1, 1) + 9, 0xFF);
    reloadWith(image);
    choose("CBRele", 2);
    EXPECT_TRUE(box(169)->isEnabled());
    for (int n : {146, 147, 148, 150, 151, 152, 153})
        EXPECT_TRUE(box(n)->isEnabled()) << n;
    EXPECT_FALSE(box(154)->isEnabled());
    EXPECT_FALSE(box(170)->isEnabled());
    choose("CBRele", 0);
    EXPECT_FALSE(box(169)->isEnabled());
    EXPECT_EQ(Main->image().byte(Layout::stageOffset(1, 1) + 9), 0xFF);

    choose("CBMod", 1);
    EXPECT_TRUE(ctl<TRadioGroup>("RG2")->isEnabled());
    EXPECT_FALSE(ctl<TRadioGroup>("RG3")->isEnabled());
    EXPECT_FALSE(ctl<TRadioGroup>("RG4")->isEnabled());
}

TEST_F(SystemPages, PagingSwitchWritesItsBit)
{
    reloadWith(TImage());
    select(Main->settingsNode());
    ctl<QCheckBox>("CBPhone")->click();
    EXPECT_EQ(Main->image().byte(32), 0x02);
    EXPECT_TRUE(select(Main->groupsRoot()));
    EXPECT_TRUE(Main->groupsRoot()->isExpanded());
}

TEST_F(SystemPages, CountsWithoutAListEntryStayAndOfferNothing)
{
    TImage image;
    image.setByte(32, 0xD1); // splitter field 13: no such count; music on
    image.setByte(33, 0x3A); // relay field 7
    image.setByte(34, 0xFF);
    reloadWith(image);
    EXPECT_EQ(Main->image(), image);
    EXPECT_EQ(ctl<QComboBox>("CBCount")->currentIndex(), -1);
    EXPECT_EQ(ctl<QComboBox>("CBRele")->currentIndex(), -1);
    for (int p = 0; p < 48; ++p) {
        EXPECT_FALSE(box(1 + p)->isEnabled());
        EXPECT_FALSE(box(49 + p)->isEnabled());
        EXPECT_FALSE(box(97 + p)->isEnabled());
    }
    EXPECT_FALSE(box(169)->isEnabled());
    // Choosing a count makes the page usable again.
    choose("CBCount", 0);
    EXPECT_EQ(Main->image().byte(32), 0x01);
    EXPECT_TRUE(box(1)->isEnabled());
}
