#include "TMainFixture.h"

#include "app/TStateMarks.h"
#include "editor/TRadioGroup.h"
#include "image/TAlarmRecord.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

class StagePage : public TMainFixture {
protected:
    // IN-1 switched on with the given duration codes for stages 1..5, and the
    // counts of splitters, message modules and relay modules.
    static TImage algorithm(std::array<uint8_t, 5> durations, int splitters = 12, int messageModules = 3,
                            int relayModules = 6)
    {
        TImage image;
        image.setValue(Layout::SplitterCount.at(Layout::SystemNode), static_cast<uint8_t>(splitters - 1));
        image.setValue(Layout::MessageModules.at(Layout::SystemNode), static_cast<uint8_t>(messageModules));
        image.setValue(Layout::RelayModuleCount.at(Layout::SystemNode), static_cast<uint8_t>(relayModules));
        TAlarmRecord record(image, 1);
        record.setEnabled(true);
        for (int k = 1; k <= 5; ++k)
            record.stage(k).setDuration(durations[static_cast<size_t>(k - 1)]);
        return image;
    }
    // Fills bytes 2..11 of every stage of IN-1 with a distinct pattern, and K1/K2.
    static void fillContents(TImage& image)
    {
        for (int k = 1; k <= 5; ++k) {
            const int at = Layout::stageOffset(1, k);
            for (int b = 2; b < Layout::StageSize; ++b)
                image.setByte(at + b, static_cast<uint8_t>(0x11 * k + b));
            image.setValue(Layout::Stage::K1.at(at), k % 2);
            image.setValue(Layout::Stage::K2.at(at), 1);
        }
    }
    void reloadClean(const TImage& image) const
    {
        reloadWith(image);
        Main->Saved = true;
    }
    bool openStage(int k) const
    {
        select(Main->algorithmsRoot());
        select(Main->inputNode(1));
        return select(Main->stageNode(1, k));
    }
    static uint8_t at(int k, int b) { return Main->Image.byte(Layout::stageOffset(1, k) + b); }
    QComboBox* timeList() const { return ctl<QComboBox>("CBTime"); }
    QPushButton* button(const char* name) const { return ctl<QPushButton>(name); }
};

TEST_F(StagePage, LoadShowsTheStageAndWritesNothing)
{
    // Rules broken on purpose: an unlimited code of 250, a message of an absent
    // module, bits of absent splitters and relay modules.
    TImage image = algorithm({8, 250, 0, 0, 0}, 2, 0, 1);
    fillContents(image);
    image.setByte(Layout::stageOffset(1, 2) + 2, 0xFF);
    reloadClean(image);
    ASSERT_TRUE(openStage(2));
    EXPECT_EQ(ctl<QStackedWidget>("PageControl")->currentIndex(), TMain::PageStage);
    EXPECT_EQ(ctl<QLabel>("StaticText3")->text(), "IN-1  -> Этап 2");
    EXPECT_EQ(timeList()->currentText(), "неограниченно");
    EXPECT_FALSE(ctl<TRadioGroup>("RG4")->isEnabled());
    EXPECT_EQ(ctl<TRadioGroup>("RG4")->itemIndex(), 7);
    for (const char* g : {"RG1", "RG2", "RG3"})
        EXPECT_EQ(ctl<TRadioGroup>(g)->itemIndex(), -1) << g;
    for (int p = 0; p < 48; ++p)
        EXPECT_EQ(box(97 + p)->isChecked(), p < 8 && Main->Image.bit(Layout::stageOffset(1, 2) + 3, p)) << p;
    EXPECT_FALSE(box(170)->isChecked());
    EXPECT_FALSE(ctl<QCheckBox>("CBReleK1")->isChecked());
    EXPECT_TRUE(ctl<QCheckBox>("CBReleK2")->isChecked());
    // Everything fits the fixed window without being squeezed.
    const QWidget* page = ctl<QStackedWidget>("PageControl")->currentWidget();
    EXPECT_LE(page->minimumSizeHint().width(), page->width());
    EXPECT_LE(page->minimumSizeHint().height(), page->height());

    // Moving between stages whose K1 differs is no change.
    ASSERT_TRUE(openStage(1));
    EXPECT_TRUE(ctl<QCheckBox>("CBReleK1")->isChecked());
    ASSERT_TRUE(openStage(2));
    EXPECT_EQ(Main->Image, image);
    EXPECT_TRUE(Main->Saved);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StagePage, UnlimitedEndsTheRunAndKeepsLaterContents)
{
    TImage image = algorithm({8, 8, 8, 8, 0});
    fillContents(image);
    reloadClean(image);
    ASSERT_TRUE(openStage(2));
    choose("CBTime", 241);
    EXPECT_EQ(at(2, 1), 255);
    for (int k = 3; k <= 5; ++k)
        EXPECT_EQ(at(k, 1), 0) << k;
    TImage expected = image;
    for (int k = 2; k <= 5; ++k)
        expected.setByte(Layout::stageOffset(1, k) + 1, Main->Image.byte(Layout::stageOffset(1, k) + 1));
    EXPECT_EQ(Main->Image, expected);
    EXPECT_EQ(mark(Main->stageNode(1, 2)), TStateMarks::On);
    EXPECT_EQ(mark(Main->stageNode(1, 3)), TStateMarks::Unreachable);
    EXPECT_FALSE(select(Main->stageNode(1, 3)));
    EXPECT_FALSE(Main->Saved);
}

TEST_F(StagePage, SwitchOffIsRefusedWhileTheNextStageIsOn)
{
    const TImage image = algorithm({8, 6, 4, 0, 0});
    reloadClean(image);
    ASSERT_TRUE(openStage(2));
    choose("CBTime", 0);
    EXPECT_EQ(dialogs.texts(), QStringList{"Нельзя выключить этот этап алгоритма,\nтак как последующий этап активен !"});
    EXPECT_EQ(dialogs.messages.at(0).icon, TMsgIcon::Error);
    EXPECT_EQ(timeList()->currentIndex(), 6);
    EXPECT_EQ(Main->Image, image);
    EXPECT_TRUE(Main->Saved);

    ASSERT_TRUE(openStage(3));
    choose("CBTime", 0);
    EXPECT_EQ(at(3, 1), 0);
    EXPECT_EQ(mark(Main->stageNode(1, 3)), TStateMarks::Off);
    EXPECT_EQ(mark(Main->stageNode(1, 4)), TStateMarks::Unreachable);

    reloadClean(algorithm({8, 8, 8, 8, 8}));
    ASSERT_TRUE(openStage(5));
    choose("CBTime", 0);
    EXPECT_EQ(at(5, 1), 0);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(StagePage, StageOneNeverRunsBelowThirtySeconds)
{
    const QString notice = "Время работы 1 этапа\nне может быть менее 30 сек. !";
    // The list's closing and the choice may come in either order.
    const std::vector<std::function<void(QComboBox*)>> orders = {
        [](QComboBox* list) { list->setCurrentIndex(1); emit list->activated(1); },
        [](QComboBox* list) { list->showPopup(); list->hidePopup(); list->setCurrentIndex(1); emit list->activated(1); },
        [](QComboBox* list) { list->showPopup(); list->setCurrentIndex(1); emit list->activated(1); list->hidePopup(); },
        [](QComboBox* list) { list->showPopup(); list->setCurrentIndex(1); list->hidePopup(); emit list->activated(1); },
        [](QComboBox* list) { list->showPopup(); list->setCurrentIndex(0); list->hidePopup(); },
    };
    for (size_t o = 0; o < orders.size(); ++o) {
        reloadClean(algorithm({8, 0, 0, 0, 0}));
        dialogs.messages.clear();
        ASSERT_TRUE(openStage(1));
        orders[o](timeList());
        EXPECT_EQ(dialogs.texts(), QStringList{notice}) << o;
        EXPECT_EQ(timeList()->currentIndex(), 2) << o;
        EXPECT_EQ(at(1, 1), 2) << o;
        EXPECT_FALSE(Main->Saved) << o;
    }

    // Closing the list on an allowed entry does nothing.
    reloadClean(algorithm({8, 0, 0, 0, 0}));
    dialogs.messages.clear();
    ASSERT_TRUE(openStage(1));
    timeList()->showPopup();
    timeList()->hidePopup();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(Main->Saved);

    ASSERT_TRUE(openStage(2));
    choose("CBTime", 1);
    EXPECT_EQ(at(2, 1), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StagePage, MessageCodeKeepsTheLowBits)
{
    TImage image = algorithm({8, 0, 0, 0, 0});
    image.setByte(Layout::stageOffset(1, 1) + 2, 0x07);
    reloadClean(image);
    ASSERT_TRUE(openStage(1));
    EXPECT_EQ(ctl<TRadioGroup>("RG1")->itemIndex(), 0);
    ctl<TRadioGroup>("RG3")->button(4)->click();
    EXPECT_EQ(at(1, 2), 0xA7);
    EXPECT_EQ(ctl<TRadioGroup>("RG3")->itemIndex(), 4);
    for (const char* g : {"RG1", "RG2", "RG4"})
        EXPECT_EQ(ctl<TRadioGroup>(g)->itemIndex(), -1) << g;
    ctl<TRadioGroup>("RG1")->button(0)->click();
    EXPECT_EQ(at(1, 2), 0x07);
    EXPECT_EQ(ctl<TRadioGroup>("RG3")->itemIndex(), -1);
}

TEST_F(StagePage, SelectAndClearAllTouchPresentModulesOnly)
{
    TImage image = algorithm({8, 0, 0, 0, 0}, 3, 0, 2);
    const int outputs = Layout::stageOffset(1, 1) + 3;
    for (int b = 0; b < 6; ++b)
        image.setByte(outputs + b, 0x5A);
    image.setByte(outputs + 6, 0x3C);  // relay mask, module 1 and 2
    image.setByte(outputs + 7, 0x3C);
    image.setByte(outputs + 8, 0xC3);
    reloadClean(image);
    ASSERT_TRUE(openStage(1));

    button("ButtonAll")->click();
    EXPECT_EQ(at(1, 3), 0xFF);
    EXPECT_EQ(at(1, 4), 0xF0 | 0x0A);
    for (int b = 5; b <= 8; ++b)
        EXPECT_EQ(at(1, b), 0x5A) << b;
    button("ButtonCancel")->click();
    EXPECT_EQ(at(1, 3), 0x00);
    EXPECT_EQ(at(1, 4), 0x0A);
    for (int b = 5; b <= 8; ++b)
        EXPECT_EQ(at(1, b), 0x5A) << b;

    button("Button1")->click();
    EXPECT_EQ(at(1, 9), 0xFF);
    EXPECT_EQ(at(1, 10), 0x3C);
    EXPECT_EQ(at(1, 11), 0xC3);
    EXPECT_TRUE(box(169)->isChecked());
    EXPECT_TRUE(box(153)->isChecked());
    EXPECT_FALSE(box(154)->isChecked());

    // Nothing left to change: no notification.
    Main->Saved = true;
    button("Button1")->click();
    EXPECT_TRUE(Main->Saved);
    button("Button2")->click();
    EXPECT_EQ(at(1, 9), 0x00);
    EXPECT_EQ(at(1, 10), 0x3C);
    EXPECT_FALSE(Main->Saved);
}

TEST_F(StagePage, CopiesTakeWholeBytesButNeverK1K2)
{
    TImage image = algorithm({8, 8, 8, 0, 0}, 1, 0, 1);
    fillContents(image);
    reloadClean(image);
    ASSERT_TRUE(openStage(1));
    for (const char* b : {"ButtonCopyTime", "ButtonCopyZ", "ButtonCopy"}) {
        EXPECT_FALSE(button(b)->isEnabled()) << b;
        EXPECT_EQ(button(b)->text(), "") << b;
    }
    ASSERT_TRUE(openStage(3));
    for (const char* b : {"ButtonCopyTime", "ButtonCopyZ", "ButtonCopy"}) {
        EXPECT_TRUE(button(b)->isEnabled()) << b;
        EXPECT_EQ(button(b)->text(), "Копир.из этапа 2") << b;
    }

    const int two = Layout::stageOffset(1, 2);
    const int three = Layout::stageOffset(1, 3);
    TImage expected = image;
    expected.copyBytes(two + 3, three + 3, 6);
    ASSERT_TRUE(box(100)->isChecked());
    button("ButtonCopyZ")->click();
    EXPECT_EQ(Main->Image, expected);
    EXPECT_FALSE(box(100)->isChecked());

    expected.copyBytes(two + 9, three + 9, 3);
    button("ButtonCopy")->click();
    EXPECT_EQ(Main->Image, expected);

    Main->Image.setByte(two + 1, 5);
    expected.setByte(two + 1, 5);
    expected.copyBytes(two + 1, three + 1, 2);
    button("ButtonCopyTime")->click();
    EXPECT_EQ(Main->Image, expected);
    EXPECT_EQ(timeList()->currentIndex(), 5);
    EXPECT_FALSE(Main->Saved);
}

TEST_F(StagePage, StageNumberComesFromTheTreeNotTheName)
{
    reloadClean(algorithm({8, 8, 0, 0, 0}));
    select(Main->algorithmsRoot());
    ASSERT_TRUE(select(Main->inputNode(1)));
    ctl<QLineEdit>("EditAName")->setText("Этап 4");
    ctl<QPushButton>("Button6")->click();
    ASSERT_TRUE(select(Main->stageNode(1, 1)));
    EXPECT_EQ(ctl<QLabel>("StaticText3")->text(), "IN-1 Этап 4 -> Этап 1");
    EXPECT_FALSE(button("ButtonCopyZ")->isEnabled());
    EXPECT_EQ(button("ButtonCopyZ")->text(), "");
}

TEST_F(StagePage, HandlersDoNothingWhileLoading)
{
    const TImage image = algorithm({8, 8, 0, 0, 0});
    reloadClean(image);
    ASSERT_TRUE(openStage(2));
    Main->Loading = true;
    box(97)->click();
    box(169)->click();
    ctl<QCheckBox>("CBReleK1")->click();
    ctl<TRadioGroup>("RG2")->button(1)->click();
    button("ButtonAll")->click();
    button("ButtonCopy")->click();
    choose("CBTime", 0);
    Main->Loading = false;
    EXPECT_EQ(Main->Image, image);
    EXPECT_TRUE(Main->Saved);
    EXPECT_TRUE(dialogs.messages.empty());
}
