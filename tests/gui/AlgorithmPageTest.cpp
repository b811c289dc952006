#include "tests/gui/TMainFixture.h"

#include "app/TStateMarks.h"
#include "image/TAlarmRecord.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class AlgorithmPage : public TMainFixture {
protected:
    bool openInput(int i) const
    {
        select(Main->algorithmsRoot());
        return select(Main->inputNode(i));
    }
    void flipSwitch() const { ctl<QCheckBox>("CBIntState")->click(); }
    // IN-1..IN-n switched on, stage 1 of each running the given code.
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
    EXPECT_FALSE(select(Main->inputNode(2)));
    ASSERT_TRUE(openInput(1));
    EXPECT_EQ(ctl<QLabel>("StaticText8")->text(), "Алгоритмы -> IN-1 ");
    choose("CBDelay", 6);
    flipSwitch();
    EXPECT_EQ(Main->image().byte(48), 0x98);
    EXPECT_EQ(Main->image().byte(49), 2);
    EXPECT_TRUE(Main->inputNode(1)->isExpanded());
    EXPECT_EQ(mark(Main->inputNode(2)), TStateMarks::Off);

    ASSERT_TRUE(select(Main->stageNode(1, 1)));
    ctl<QCheckBox>("CBReleK1")->click();
    ctl<QCheckBox>("CBReleK2")->click();
    EXPECT_EQ(Main->image().byte(48), 0x9B);

    ASSERT_TRUE(openInput(1));
    flipSwitch();
    EXPECT_EQ(Main->image().byte(48), 0x1B);
    EXPECT_FALSE(Main->inputNode(1)->isExpanded());
    EXPECT_EQ(mark(Main->inputNode(2)), TStateMarks::Unreachable);

    // After "04:00" comes "05:15", code 17.
    choose("CBDelay", ctl<QComboBox>("CBDelay")->findText("05:15"));
    EXPECT_EQ(Main->image().byte(48), (17 << 2) | 0x03);
}

TEST_F(AlgorithmPage, SwitchOffIsRefusedWhileTheNextInputIsOn)
{
    TImage image = withInputsOn(3);
    TAlarmRecord(image, 2).stage(1).setDuration(7);
    reloadWith(image);
    Main->setSaved(true);
    ASSERT_TRUE(openInput(2));
    flipSwitch();
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Нельзя выключить этот алгоритм,\nтак как алгоритм на последующем входе активен !"});
    EXPECT_EQ(dialogs.messages.at(0).icon, TMsgIcon::Error);
    EXPECT_TRUE(ctl<QCheckBox>("CBIntState")->isChecked());
    EXPECT_EQ(Main->image(), image);
    EXPECT_TRUE(Main->saved());

    ASSERT_TRUE(openInput(3));
    flipSwitch();
    EXPECT_EQ(Main->image().byte(Layout::recordOffset(3)), 0);
    EXPECT_EQ(mark(Main->inputNode(4)), TStateMarks::Unreachable);

    // IN-24 has no next input, whatever the byte after its record holds:
    // console button 1 with splitter 1 OUT1.
    TImage all = withInputsOn(24);
    all.setBit(Layout::buttonOffset(1), 0, true);
    reloadWith(all);
    ASSERT_TRUE(click(Main->algorithmsRoot()) && click(Main->inputNode(24)));
    QCheckBox* state = ctl<QCheckBox>("CBIntState");
    QTest::mouseClick(state, Qt::LeftButton, {}, QPoint(state->height() / 2, state->height() / 2));
    EXPECT_FALSE(TAlarmRecord(Main->image(), 24).enabled());
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(AlgorithmPage, EverySwitchStartsStageOneAtThirtySeconds)
{
    TImage image = withInputsOn(1, 40);
    for (int k = 2; k <= 5; ++k)
        TAlarmRecord(image, 1).stage(k).setDuration(static_cast<uint8_t>(10 * k));
    reloadWith(image);
    ASSERT_TRUE(openInput(1));
    flipSwitch();
    Main->image().setByte(49, 40);
    flipSwitch();
    image.setByte(49, 2);
    EXPECT_EQ(Main->image(), image);
}

TEST_F(AlgorithmPage, DelayWithoutAnEntryStaysUntilChosen)
{
    TImage image;
    image.setByte(48, 0x80 | (27 << 2) | 0x01);
    reloadWith(image);
    Main->setSaved(true);
    ASSERT_TRUE(openInput(1));
    ASSERT_TRUE(select(Main->inputNode(2)));
    ASSERT_TRUE(openInput(1));
    EXPECT_EQ(ctl<QComboBox>("CBDelay")->currentIndex(), -1);
    EXPECT_EQ(Main->image(), image);
    EXPECT_TRUE(Main->saved());
    choose("CBDelay", 26);
    EXPECT_EQ(Main->image().byte(48), 0x80 | (26 << 2) | 0x01);
}

TEST_F(AlgorithmPage, NamesLiveInTheCaptionOnly)
{
    reloadWith(withInputsOn(3));
    Main->setSaved(true);
    ASSERT_TRUE(openInput(3));
    QLineEdit* name = ctl<QLineEdit>("EditAName");
    name->setText("Пожар  в корпусе Б");
    ctl<QPushButton>("Button6")->click();
    EXPECT_EQ(Main->inputNode(3)->text(0), "IN-3 Пожар  в корпусе Б");
    EXPECT_EQ(ctl<QLabel>("StaticText8")->text(), "Алгоритмы -> IN-3 Пожар  в корпусе Б");
    EXPECT_EQ(Main->image(), withInputsOn(3));
    EXPECT_TRUE(Main->saved());

    ASSERT_TRUE(openInput(1));
    EXPECT_EQ(name->text(), "");
    ASSERT_TRUE(openInput(3));
    EXPECT_EQ(name->text(), "Пожар  в корпусе Б");
    name->clear();
    ctl<QPushButton>("Button6")->click();
    EXPECT_EQ(Main->inputNode(3)->text(0), "IN-3 ");
}

TEST_F(AlgorithmPage, EnterAppliesTheNameAndLeavingThePageKeepsWhatWasTyped)
{
    reloadWith(withInputsOn(3));
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    clickNode(Main->algorithmsRoot());
    clickNode(Main->inputNode(3));
    QLineEdit* name = ctl<QLineEdit>("EditAName");
    QTest::mouseClick(name, Qt::LeftButton);
    QTest::keyClicks(name, QStringLiteral("Fire"));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(Main->inputNode(3)->text(0), "IN-3 Fire");
    EXPECT_EQ(ctl<QLabel>("StaticText8")->text(), "Алгоритмы -> IN-3 Fire");
    QCoreApplication::processEvents();

    // Typed and not applied: choosing another node applies it to the input
    // it was typed for, as one step.
    QTest::keyClicks(name, QStringLiteral(" floor 1"));
    clickNode(Main->inputNode(1));
    EXPECT_EQ(Main->inputNode(3)->text(0), "IN-3 Fire floor 1");
    EXPECT_EQ(Main->inputNode(1)->text(0), "IN-1 ");
    EXPECT_EQ(name->text(), "");
    QTest::keyClick(tree(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Main->inputName(3), "Fire");

    // A whole image loaded drops what was typed for the image it replaces.
    clickNode(Main->inputNode(1));
    QTest::mouseClick(name, Qt::LeftButton);
    QTest::keyClicks(name, QStringLiteral("Alarm"));
    reloadWith(withInputsOn(2));
    clickNode(Main->algorithmsRoot());
    clickNode(Main->inputNode(2));
    EXPECT_EQ(Main->inputName(1), "");
    EXPECT_EQ(Main->inputName(3), "Fire");
}

TEST_F(AlgorithmPage, NameFieldTakesOnlyWhatTheNamesFileHolds)
{
    reloadWith(TImage());
    ASSERT_TRUE(openInput(1));
    QLineEdit* name = ctl<QLineEdit>("EditAName");
    const QString storable = " Эвакуация №2 «А» € ";
    name->insert(storable);
    // U+0080 is no character of the code page, though byte 0x80 is one.
    for (const QString& refused : QStringList{"中", "😀", "a\nb", QString(QChar(0x80))})
        name->insert(refused);
    EXPECT_EQ(name->text(), storable);
}
