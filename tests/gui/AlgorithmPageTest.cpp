#include "TMainFixture.h"

#include "app/TStateMarks.h"
#include "image/TAlarmRecord.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

class AlgorithmPage : public TMainFixture {
protected:
    // Shows the page of input i, as a click on its node does.
    bool openInput(int i) const
    {
        select(Main->algorithmsRoot());
        return select(Main->inputNode(i));
    }
    QCheckBox* switchBox() const { return ctl<QCheckBox>("CBIntState"); }
    // Algorithms IN-1..IN-n switched on, each stage 1 running the given code.
    static TImage withInputsOn(int n, uint8_t stageOne = 2)
    {
        TImage image;
        for (int i = 1; i <= n; ++i) {
            TAlarmRecord(image, i).setEnabled(true);
            TAlarmRecord(image, i).stage(1).setDuration(stageOne);
        }
        return image;
    }
};

TEST_F(AlgorithmPage, SwitchDelayAndRelaysShareTheHeadByte)
{
    reloadWith(TImage());
    ASSERT_TRUE(openInput(1));
    EXPECT_EQ(ctl<QStackedWidget>("PageControl")->currentIndex(), TMain::PageAlgorithm);
    EXPECT_EQ(ctl<QLabel>("StaticText8")->text(), "Алгоритмы -> IN-1 ");
    EXPECT_EQ(ctl<QComboBox>("CBDelay")->currentText(), "00:00");

    choose("CBDelay", 6);
    EXPECT_EQ(ctl<QComboBox>("CBDelay")->currentText(), "01:30");
    switchBox()->click();
    EXPECT_EQ(Main->Image.byte(48), 0x98);
    EXPECT_EQ(Main->Image.byte(49), 2);

    ASSERT_TRUE(select(Main->stageNode(1, 1)));
    ctl<QCheckBox>("CBReleK1")->click();
    ctl<QCheckBox>("CBReleK2")->click();
    EXPECT_EQ(Main->Image.byte(48), 0x9B);

    ASSERT_TRUE(openInput(1));
    switchBox()->click();
    EXPECT_EQ(Main->Image.byte(48), 0x1B);

    // After "04:00" (16) comes "05:15" with code 17.
    const int entry = ctl<QComboBox>("CBDelay")->findText("05:15");
    EXPECT_EQ(entry, 17);
    choose("CBDelay", entry);
    EXPECT_EQ(Main->Image.byte(48), (17 << 2) | 0x03);
    for (int b = 50; b < 2048; ++b)
        ASSERT_EQ(Main->Image.byte(b), 0) << b;
}

TEST_F(AlgorithmPage, SwitchingOnOpensTheNodeAndTheNextInput)
{
    reloadWith(TImage());
    Main->Saved = true;
    EXPECT_FALSE(select(Main->inputNode(2)));
    ASSERT_TRUE(openInput(1));
    EXPECT_FALSE(Main->inputNode(1)->isExpanded());
    switchBox()->click();
    EXPECT_TRUE(Main->inputNode(1)->isExpanded());
    EXPECT_EQ(mark(Main->inputNode(1)), TStateMarks::On);
    EXPECT_EQ(mark(Main->inputNode(2)), TStateMarks::Off);
    EXPECT_EQ(mark(Main->stageNode(1, 1)), TStateMarks::On);
    EXPECT_FALSE(Main->Saved);
    EXPECT_TRUE(select(Main->inputNode(2)));
    EXPECT_EQ(ctl<QLabel>("StaticText8")->text(), "Алгоритмы -> IN-2 ");
    EXPECT_FALSE(switchBox()->isChecked());
}

TEST_F(AlgorithmPage, SwitchOffIsRefusedWhileTheNextInputIsOn)
{
    TImage image = withInputsOn(3);
    TAlarmRecord(image, 2).stage(1).setDuration(7);
    reloadWith(image);
    Main->Saved = true;
    ASSERT_TRUE(openInput(2));
    switchBox()->click();
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Нельзя выключить этот алгоритм,\nтак как алгоритм на последующем входе активен !"});
    EXPECT_EQ(dialogs.messages.at(0).icon, TMsgIcon::Error);
    EXPECT_TRUE(switchBox()->isChecked());
    EXPECT_EQ(Main->Image, image);
    EXPECT_TRUE(Main->Saved);

    ASSERT_TRUE(openInput(3));
    ASSERT_TRUE(Main->inputNode(3)->isExpanded());
    switchBox()->click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(Main->Image.byte(Layout::recordOffset(3)), 0);
    EXPECT_FALSE(Main->inputNode(3)->isExpanded());
    EXPECT_EQ(mark(Main->inputNode(4)), TStateMarks::Unreachable);

    // The last input has no successor.
    reloadWith(withInputsOn(24));
    ASSERT_TRUE(openInput(24));
    switchBox()->click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(TAlarmRecord(Main->Image, 24).enabled());
}

TEST_F(AlgorithmPage, EverySwitchStartsStageOneAtThirtySeconds)
{
    TImage image = withInputsOn(1, 40);
    for (int k = 2; k <= 5; ++k)
        TAlarmRecord(image, 1).stage(k).setDuration(static_cast<uint8_t>(10 * k));
    reloadWith(image);
    ASSERT_TRUE(openInput(1));
    switchBox()->click();
    EXPECT_EQ(Main->Image.byte(49), 2);
    Main->Image.setByte(49, 40);
    switchBox()->click();
    EXPECT_EQ(Main->Image.byte(49), 2);
    for (int k = 2; k <= 5; ++k)
        EXPECT_EQ(Main->Image.byte(Layout::stageOffset(1, k) + 1), 10 * k) << k;
}

TEST_F(AlgorithmPage, DelayWithoutAnEntryStaysUntilChosen)
{
    TImage image;
    image.setByte(48, 0x80 | (27 << 2) | 0x01);
    reloadWith(image);
    Main->Saved = true;
    ASSERT_TRUE(openInput(1));
    EXPECT_EQ(ctl<QComboBox>("CBDelay")->currentIndex(), -1);
    EXPECT_TRUE(switchBox()->isChecked());
    ASSERT_TRUE(select(Main->inputNode(2)));
    ASSERT_TRUE(openInput(1));
    EXPECT_EQ(Main->Image, image);
    EXPECT_TRUE(Main->Saved);
    choose("CBDelay", 26);
    EXPECT_EQ(Main->Image.byte(48), 0x80 | (26 << 2) | 0x01);
}

TEST_F(AlgorithmPage, NamesLiveInTheCaptionOnly)
{
    reloadWith(withInputsOn(3));
    Main->Saved = true;
    ASSERT_TRUE(openInput(3));
    QLineEdit* name = ctl<QLineEdit>("EditAName");
    EXPECT_EQ(name->text(), "");
    name->setText("Пожар  в корпусе Б");
    ctl<QPushButton>("Button6")->click();
    EXPECT_EQ(Main->inputNode(3)->text(0), "IN-3 Пожар  в корпусе Б");
    EXPECT_EQ(ctl<QLabel>("StaticText8")->text(), "Алгоритмы -> IN-3 Пожар  в корпусе Б");
    EXPECT_EQ(Main->Image, withInputsOn(3));
    EXPECT_TRUE(Main->Saved);

    ASSERT_TRUE(openInput(1));
    EXPECT_EQ(name->text(), "");
    ASSERT_TRUE(openInput(3));
    EXPECT_EQ(name->text(), "Пожар  в корпусе Б");
    ASSERT_TRUE(select(Main->stageNode(3, 2)));
    EXPECT_EQ(ctl<QLabel>("StaticText3")->text(), "IN-3 Пожар  в корпусе Б -> Этап 2");

    ASSERT_TRUE(openInput(3));
    name->clear();
    ctl<QPushButton>("Button6")->click();
    EXPECT_EQ(Main->inputNode(3)->text(0), "IN-3 ");
    EXPECT_TRUE(Main->Saved);
}

TEST_F(AlgorithmPage, NameFieldTakesOnlyWhatTheNamesFileHolds)
{
    reloadWith(TImage());
    ASSERT_TRUE(openInput(1));
    QLineEdit* name = ctl<QLineEdit>("EditAName");
    name->insert(" Эвакуация №2 «А» € ");
    EXPECT_EQ(name->text(), " Эвакуация №2 «А» € ");
    name->insert("中");
    name->insert("😀");
    name->insert("a\nb");
    EXPECT_EQ(name->text(), " Эвакуация №2 «А» € ");
    ctl<QPushButton>("Button6")->click();
    EXPECT_EQ(Main->inputName(1), " Эвакуация №2 «А» € ");
}
