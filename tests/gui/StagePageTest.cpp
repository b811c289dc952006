#include "tests/gui/TMainFixture.h"

#include "app/TStateMarks.h"
#include "editor/TCloseUpComboBox.h"
#include "image/TAlarmRecord.h"
#include "widgets/TRadioGroup.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>

class StagePage : public TMainFixture {
protected:
    // IN-1 on with the given stage durations and module counts; bytes 2..11 of
    // each stage hold a distinct pattern, K2 is on everywhere and K1 on odd stages.
    static TImage algorithm(std::array<uint8_t, 5> durations, int splitters = 12, int messageModules = 3,
                            int relayModules = 6)
    {
        TImage image;
        image.setValue(Layout::SplitterCount.at(Layout::SystemNode), static_cast<uint8_t>(splitters - 1));
        image.setValue(Layout::MessageModules.at(Layout::SystemNode), static_cast<uint8_t>(messageModules));
        image.setValue(Layout::RelayModuleCount.at(Layout::SystemNode), static_cast<uint8_t>(relayModules));
        TAlarmRecord(image, 1).setEnabled(true);
        for (int k = 1; k <= 5; ++k) {
            const int at = Layout::stageOffset(1, k);
            image.setByte(at + 1, durations[static_cast<size_t>(k - 1)]);
            for (int b = 2; b < Layout::StageSize; ++b)
                image.setByte(at + b, static_cast<uint8_t>(0x11 * k + b));
            image.setValue(Layout::Stage::K1.at(at), k % 2);
            image.setValue(Layout::Stage::K2.at(at), 1);
        }
        return image;
    }
    bool openStage(const TImage& image, int k) const
    {
        reloadWith(image);
        Main->setSaved(true);
        select(Main->algorithmsRoot());
        select(Main->inputNode(1));
        return select(Main->stageNode(1, k));
    }
    // The same, reached with mouse clicks.
    bool clickStage(const TImage& image, int k) const
    {
        reloadWith(image);
        Main->setSaved(true);
        return click(Main->algorithmsRoot()) && click(Main->inputNode(1)) && click(Main->stageNode(1, k));
    }
    static uint8_t at(int k, int b) { return Main->image().byte(Layout::stageOffset(1, k) + b); }
    QComboBox* timeList() const { return ctl<QComboBox>("CBTime"); }
    QPushButton* button(const char* name) const { return ctl<QPushButton>(name); }
    int group(const char* name) const { return ctl<TRadioGroup>(name)->itemIndex(); }
};

TEST_F(StagePage, LoadShowsTheStageAndWritesNothing)
{
    // Rules broken on purpose: an unlimited code of 250, a message of an absent
    // module, bits of absent splitters and relay modules.
    TImage image = algorithm({8, 250, 0, 0, 0}, 2, 0, 1);
    image.setByte(Layout::stageOffset(1, 2) + 2, 0xFF);
    ASSERT_TRUE(openStage(image, 2));
    EXPECT_EQ(ctl<QLabel>("StaticText3")->text(), "IN-1  -> Этап 2");
    EXPECT_EQ(timeList()->currentText(), "неограниченно");
    EXPECT_FALSE(ctl<TRadioGroup>("RG4")->isEnabled());
    EXPECT_EQ(group("RG4"), 7);
    EXPECT_EQ(group("RG1") + group("RG2") + group("RG3"), -3);
    for (int p = 0; p < 48; ++p)
        EXPECT_EQ(box(97 + p)->isChecked(), p < 8 && image.bit(Layout::stageOffset(1, 2) + 3, p)) << p;
    EXPECT_FALSE(box(170)->isChecked());
    EXPECT_FALSE(ctl<QCheckBox>("CBReleK1")->isChecked());
    EXPECT_TRUE(ctl<QCheckBox>("CBReleK2")->isChecked());
    // Everything fits the fixed window without being squeezed.
    const QWidget* page = ctl<QStackedWidget>("PageControl")->currentWidget();
    EXPECT_LE(page->minimumSizeHint().width(), page->width());
    EXPECT_LE(page->minimumSizeHint().height(), page->height());

    // Moving between stages whose K1 differs is no change.
    ASSERT_TRUE(select(Main->stageNode(1, 1)));
    EXPECT_TRUE(ctl<QCheckBox>("CBReleK1")->isChecked());
    ASSERT_TRUE(select(Main->stageNode(1, 2)));
    EXPECT_EQ(Main->image(), image);
    EXPECT_TRUE(Main->saved());
}

TEST_F(StagePage, OffOrUnlimitedEndsTheRunAndKeepsLaterContents)
{
    const TImage image = algorithm({8, 8, 8, 8, 0});
    ASSERT_TRUE(openStage(image, 2));
    choose("CBTime", 241);
    TImage expected = image;
    expected.setByte(Layout::stageOffset(1, 2) + 1, 255);
    for (int k = 3; k <= 5; ++k)
        expected.setByte(Layout::stageOffset(1, k) + 1, 0);
    EXPECT_EQ(Main->image(), expected);
    EXPECT_EQ(mark(Main->stageNode(1, 3)), TStateMarks::Unreachable);
    EXPECT_FALSE(select(Main->stageNode(1, 3)));

    // Stage 4 off, stage 5 left on by a foreign image: switching stage 3 off clears it.
    ASSERT_TRUE(openStage(algorithm({8, 8, 8, 0, 7}), 3));
    choose("CBTime", 0);
    expected = algorithm({8, 8, 0, 0, 0});
    EXPECT_EQ(Main->image(), expected);
    EXPECT_EQ(mark(Main->stageNode(1, 4)), TStateMarks::Unreachable);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StagePage, SwitchOffIsRefusedWhileTheNextStageIsOn)
{
    const TImage image = algorithm({8, 6, 4, 0, 0});
    ASSERT_TRUE(openStage(image, 2));
    choose("CBTime", 0);
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Нельзя выключить этот этап алгоритма,\nтак как последующий этап активен !"});
    EXPECT_EQ(dialogs.messages.at(0).icon, TMsgIcon::Error);
    EXPECT_EQ(timeList()->currentIndex(), 6);
    EXPECT_EQ(Main->image(), image);
    EXPECT_TRUE(Main->saved());

    // The last stage that has a next one, chosen in the opened list.
    const TImage all = algorithm({8, 8, 8, 8, 8});
    ASSERT_TRUE(clickStage(all, 4));
    pick("CBTime", 0);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(timeList()->currentIndex(), 8);
    EXPECT_EQ(Main->image(), all);

    ASSERT_TRUE(clickStage(all, 5));
    pick("CBTime", 0);
    EXPECT_EQ(at(5, 1), 0);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(StagePage, StageOneNeverRunsBelowThirtySeconds)
{
    // The list's closing and the choice may come in either order; a closing
    // without a choice is told once the event loop runs.
    const std::vector<std::function<void(QComboBox*)>> orders = {
        [](QComboBox* list) {
            list->setCurrentIndex(1);
            emit list->activated(1);
        },
        [](QComboBox* list) {
            list->showPopup();
            list->hidePopup();
            list->setCurrentIndex(1);
            emit list->activated(1);
        },
        [](QComboBox* list) {
            list->showPopup();
            list->setCurrentIndex(1);
            emit list->activated(1);
            list->hidePopup();
        },
        [](QComboBox* list) {
            list->showPopup();
            list->setCurrentIndex(1);
            list->hidePopup();
            emit list->activated(1);
        },
        [](QComboBox* list) {
            list->showPopup();
            list->setCurrentIndex(0);
            list->hidePopup();
            QCoreApplication::processEvents();
        },
    };
    for (size_t o = 0; o < orders.size(); ++o) {
        ASSERT_TRUE(openStage(algorithm({8, 0, 0, 0, 0}), 1));
        dialogs.messages.clear();
        orders[o](timeList());
        EXPECT_EQ(dialogs.texts(), QStringList{"Время работы 1 этапа\nне может быть менее 30 сек. !"}) << o;
        EXPECT_EQ(dialogs.messages.at(0).icon, TMsgIcon::Information) << o;
        EXPECT_EQ(timeList()->currentIndex(), 2) << o;
        EXPECT_EQ(at(1, 1), 2) << o;
    }
    dialogs.messages.clear();
    timeList()->showPopup();
    timeList()->hidePopup();
    ASSERT_TRUE(select(Main->stageNode(1, 2)));
    choose("CBTime", 1);
    EXPECT_EQ(at(2, 1), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StagePage, StageOneBoxJudgesTheEntryChosenInTheOpenedList)
{
    // Stage 1 holding code 0, as an image from elsewhere may.
    const TImage image = algorithm({0, 0, 0, 0, 0});
    const QStringList once{"Время работы 1 этапа\nне может быть менее 30 сек. !"};
    ASSERT_TRUE(clickStage(image, 1));
    pick("CBTime", 5);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(at(1, 1), 5);

    ASSERT_TRUE(clickStage(image, 1));
    pick("CBTime", 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.texts(), once);
    EXPECT_EQ(timeList()->currentIndex(), 2);
    EXPECT_EQ(at(1, 1), 2);

    // Closed without a choice: the stored entry is judged.
    ASSERT_TRUE(clickStage(image, 1));
    dialogs.messages.clear();
    QTest::mouseClick(timeList(), Qt::LeftButton);
    ASSERT_TRUE(timeList()->view()->isVisible());
    QTest::keyClick(timeList()->view(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.texts(), once);
    EXPECT_EQ(at(1, 1), 2);
}

// The closing of the duration list is told once for each time the opened
// list closes, with or without a choice, and never for a list not opened.
TEST_F(StagePage, ListClosingIsToldOncePerClosingOfTheOpenedList)
{
    ASSERT_TRUE(clickStage(algorithm({8, 0, 0, 0, 0}), 2));
    auto* list = ctl<TCloseUpComboBox>("CBTime");
    QSignalSpy closed(list, &TCloseUpComboBox::closedUp);
    QTest::mouseClick(list, Qt::LeftButton);
    ASSERT_TRUE(list->view()->isVisible());
    QTest::keyClick(list->view(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(closed.count(), 1);

    pick("CBTime", 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(closed.count(), 2);
    EXPECT_EQ(at(2, 1), 3);

    // The page goes away with the list closed.
    clickNode(Main->inputNode(1));
    ASSERT_FALSE(list->isVisible());
    EXPECT_EQ(closed.count(), 2);
}

TEST_F(StagePage, CodesAbove240ShowUnlimitedAndEndTheRun)
{
    for (const uint8_t code : {241, 254}) {
        const TImage image = algorithm({8, code, 8, 0, 0});
        ASSERT_TRUE(clickStage(image, 2)) << int(code);
        EXPECT_EQ(timeList()->currentText(), "неограниченно");
        EXPECT_EQ(mark(Main->stageNode(1, 3)), TStateMarks::Unreachable);
        EXPECT_FALSE(click(Main->stageNode(1, 3))) << int(code);
        press(Qt::Key_Down);
        EXPECT_EQ(tree()->currentItem(), Main->stageNode(1, 2)) << int(code);
        EXPECT_EQ(Main->image(), image);
        EXPECT_TRUE(Main->saved());
    }
}

TEST_F(StagePage, MessageCodeKeepsTheLowBits)
{
    TImage image = algorithm({8, 0, 0, 0, 0});
    image.setByte(Layout::stageOffset(1, 1) + 2, 0x07);
    ASSERT_TRUE(openStage(image, 1));
    EXPECT_EQ(group("RG1"), 0);
    ctl<TRadioGroup>("RG3")->button(4)->click();
    EXPECT_EQ(at(1, 2), 0xA7);
    EXPECT_EQ(group("RG1") + group("RG2") + group("RG4"), -3);
    ctl<TRadioGroup>("RG1")->button(0)->click();
    EXPECT_EQ(at(1, 2), 0x07);
    EXPECT_EQ(group("RG3"), -1);
}

TEST_F(StagePage, SelectAndClearAllTouchPresentModulesOnly)
{
    TImage image = algorithm({8, 0, 0, 0, 0}, 3, 0, 2);
    for (int b = 3; b <= 8; ++b)
        image.setByte(Layout::stageOffset(1, 1) + b, 0x5A);
    ASSERT_TRUE(openStage(image, 1));
    button("ButtonAll")->click();
    EXPECT_EQ(at(1, 3), 0xFF);
    EXPECT_EQ(at(1, 4), 0xFA);
    button("ButtonCancel")->click();
    EXPECT_EQ(at(1, 3), 0x00);
    EXPECT_EQ(at(1, 4), 0x0A);
    for (int b = 5; b <= 8; ++b)
        EXPECT_EQ(at(1, b), 0x5A) << b;

    const uint8_t relays10 = at(1, 10), relays11 = at(1, 11);
    button("Button1")->click();
    EXPECT_EQ(at(1, 9), 0xFF);
    EXPECT_TRUE(box(153)->isChecked());
    Main->setSaved(true);
    button("Button1")->click(); // nothing left to set: no notification
    EXPECT_TRUE(Main->saved());
    button("Button2")->click();
    EXPECT_EQ(at(1, 9), 0x00);
    EXPECT_EQ(at(1, 10), relays10);
    EXPECT_EQ(at(1, 11), relays11);
    EXPECT_FALSE(Main->saved());

    // A full composition: the last box of each grid is set and cleared too.
    ASSERT_TRUE(clickStage(algorithm({8, 0, 0, 0, 0}, 12, 3, 6), 1));
    for (const char* name : {"ButtonAll", "Button1"})
        QTest::mouseClick(button(name), Qt::LeftButton);
    for (int b = 3; b <= 11; ++b)
        EXPECT_EQ(at(1, b), 0xFF) << b;
    EXPECT_TRUE(box(144)->isChecked() && box(170)->isChecked());
    for (const char* name : {"ButtonCancel", "Button2"})
        QTest::mouseClick(button(name), Qt::LeftButton);
    for (int b = 3; b <= 11; ++b)
        EXPECT_EQ(at(1, b), 0x00) << b;
}

TEST_F(StagePage, CopiesTakeWholeBytesButNeverK1K2)
{
    TImage image = algorithm({8, 5, 8, 0, 0}, 1, 0, 1);
    ASSERT_TRUE(openStage(image, 3));
    for (const char* b : {"ButtonCopyTime", "ButtonCopyZ", "ButtonCopy"}) {
        EXPECT_TRUE(button(b)->isEnabled()) << b;
        EXPECT_EQ(button(b)->text(), "Копир.из этапа 2") << b;
    }
    const int two = Layout::stageOffset(1, 2), three = Layout::stageOffset(1, 3);
    ASSERT_TRUE(box(100)->isChecked());
    button("ButtonCopyZ")->click();
    image.copyBytes(two + 3, three + 3, 6);
    EXPECT_EQ(Main->image(), image);
    EXPECT_FALSE(box(100)->isChecked());
    button("ButtonCopy")->click();
    image.copyBytes(two + 9, three + 9, 3);
    EXPECT_EQ(Main->image(), image);
    button("ButtonCopyTime")->click();
    image.copyBytes(two + 1, three + 1, 2);
    EXPECT_EQ(Main->image(), image);
    EXPECT_EQ(timeList()->currentIndex(), 5);
    EXPECT_FALSE(Main->saved());

    // The first stage has nothing to copy from, whatever the algorithm is called.
    ASSERT_TRUE(select(Main->inputNode(1)));
    ctl<QLineEdit>("EditAName")->setText("Этап 4");
    button("Button6")->click();
    ASSERT_TRUE(select(Main->stageNode(1, 1)));
    EXPECT_EQ(ctl<QLabel>("StaticText3")->text(), "IN-1 Этап 4 -> Этап 1");
    for (const char* b : {"ButtonCopyTime", "ButtonCopyZ", "ButtonCopy"}) {
        EXPECT_FALSE(button(b)->isEnabled()) << b;
        EXPECT_EQ(button(b)->text(), "") << b;
    }
}

TEST_F(StagePage, HandlersDoNothingWhileLoading)
{
    const TImage image = algorithm({8, 8, 0, 0, 0});
    ASSERT_TRUE(openStage(image, 2));
    Main->setLoading(true);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             box(97), box(169), ctl<QCheckBox>("CBReleK1"), ctl<TRadioGroup>("RG2")->button(1), button("ButtonAll"),
             button("Button2"), button("ButtonCopy")})
        b->click();
    choose("CBTime", 0);
    Main->setLoading(false);
    EXPECT_EQ(Main->image(), image);
    EXPECT_TRUE(Main->saved());
}
