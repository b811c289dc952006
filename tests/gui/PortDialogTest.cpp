// The port dialog: its controls, its two heights and the settings that both
// of its buttons hand to the link.

#include "tests/gui/TLinkFixture.h"

#include "widgets/TRadioGroup.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

namespace {

template <class T> T* control(const char* name)
{
    T* widget = SetComPort->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

} // namespace

using PortDialog = TLinkFixture;

TEST_F(PortDialog, StartsWithAutomaticDetectionAndTheDefaultLine)
{
    EXPECT_EQ(SetComPort->windowTitle(), QStringLiteral("Подключение к контроллеру"));
    EXPECT_EQ(SetComPort->height(), 190);
    EXPECT_TRUE(control<QCheckBox>("CheckBox1")->isChecked());
    auto* port = control<QComboBox>("ComboBoxPort");
    EXPECT_FALSE(port->isEnabled());
    EXPECT_EQ(port->currentIndex(), -1);
    EXPECT_TRUE(port->currentText().isEmpty());
    ASSERT_EQ(port->count(), 255);
    EXPECT_EQ(port->itemText(0), "1");
    EXPECT_EQ(port->itemText(254), "255");
    EXPECT_EQ(control<QComboBox>("ComboBoxSpeed")->currentText(), "9600");
    EXPECT_EQ(control<QComboBox>("ComboBoxSpeed")->count(), 15);
    EXPECT_EQ(control<QComboBox>("ComboBoxControl")->currentText(), "None");
    EXPECT_EQ(control<TRadioGroup>("RadioGroupParity")->itemIndex(), 0);
    EXPECT_EQ(control<TRadioGroup>("RadioGroupData")->button(3)->text(), "8 bits");
    EXPECT_EQ(control<TRadioGroup>("RadioGroupData")->itemIndex(), 3);
    EXPECT_EQ(control<TRadioGroup>("RadioGroupStop")->itemIndex(), 0);
    EXPECT_TRUE(control<QCheckBox>("CheckBoxDTR")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("CheckBoxRTS")->isChecked());
    EXPECT_EQ(control<QPushButton>("ButtonOk")->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(control<QPushButton>("Button1")->text(), "Ok");
}

TEST_F(PortDialog, ParametersGroupChangesTheHeightAndButtonsFollowTheBottom)
{
    auto* group = control<QGroupBox>("GroupBox1");
    auto* ok = control<QPushButton>("Button1");
    auto* cancel = control<QPushButton>("ButtonOk");
    EXPECT_FALSE(group->isVisibleTo(SetComPort));
    const int gap = SetComPort->height() - ok->geometry().bottom();

    control<QPushButton>("ButtonParam")->click();
    EXPECT_TRUE(group->isVisibleTo(SetComPort));
    EXPECT_EQ(SetComPort->height(), 383);
    EXPECT_EQ(SetComPort->height() - ok->geometry().bottom(), gap);
    EXPECT_EQ(cancel->geometry().bottom(), ok->geometry().bottom());
    EXPECT_LE(group->geometry().bottom(), ok->geometry().top());

    control<QPushButton>("ButtonParam")->click();
    EXPECT_FALSE(group->isVisibleTo(SetComPort));
    EXPECT_EQ(SetComPort->height(), 190);
    EXPECT_EQ(SetComPort->height() - ok->geometry().bottom(), gap);
}

TEST_F(PortDialog, ManualPortShowsItsDeviceOrThatThereIsNone)
{
    // COM 7 links to a device that is not there, COM 8 to one that is.
    absent(7);
    QFile present(m_config.filePath("present-device"));
    ASSERT_TRUE(present.open(QIODevice::WriteOnly));
    std::filesystem::create_symlink(present.fileName().toStdString(), TPortMap::OverrideFolder() + "/com8");
    auto* automatic = control<QCheckBox>("CheckBox1");
    auto* port = control<QComboBox>("ComboBoxPort");
    auto* device = control<QLabel>("LabelDevice");
    const auto type = [&](const char* number) {
        QTest::keyClick(port, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(port, number);
        EXPECT_EQ(port->currentText(), number);
        return device->text();
    };
    automatic->click();
    EXPECT_TRUE(port->isEnabled());
    EXPECT_EQ(port->currentText(), "1");
    EXPECT_EQ(type("8").toStdString(), TPortMap::Device(8));
    EXPECT_EQ(type("7"), QStringLiteral("нет устройства"));
    EXPECT_EQ(port->itemText(6), "7");
    EXPECT_EQ(type("200"), QStringLiteral("нет устройства"));

    automatic->click();
    EXPECT_FALSE(port->isEnabled());
    EXPECT_TRUE(port->currentText().isEmpty());
    EXPECT_TRUE(device->text().isEmpty());
}

TEST_F(PortDialog, BothButtonsApplyTheSettings)
{
    control<QCheckBox>("CheckBox1")->click();
    control<QComboBox>("ComboBoxPort")->setEditText("12");
    control<QComboBox>("ComboBoxSpeed")->setEditText("19200");
    control<QComboBox>("ComboBoxControl")->setCurrentIndex(2);
    control<TRadioGroup>("RadioGroupParity")->button(2)->click();
    control<TRadioGroup>("RadioGroupData")->button(2)->click();
    control<TRadioGroup>("RadioGroupStop")->button(2)->click();
    control<QCheckBox>("CheckBoxDTR")->click();

    control<QPushButton>("ButtonOk")->click();
    EXPECT_EQ(SetComPort->result(), QDialog::Rejected);
    TCommPort& port = link().commPort();
    EXPECT_EQ(link().portNumber(), 12);
    EXPECT_EQ(port.GetBaud(), 19200);
    EXPECT_EQ(port.Control(), ccHard);
    EXPECT_EQ(port.Parity(), paEven);
    EXPECT_EQ(port.DataBits(), 7);
    EXPECT_EQ(port.StopBits(), sb2_0);
    EXPECT_FALSE(port.DTR());
    EXPECT_TRUE(port.RTS());

    // Text that is not a number means port 1.
    control<QComboBox>("ComboBoxPort")->setEditText("COM4");
    control<QPushButton>("Button1")->click();
    EXPECT_EQ(SetComPort->result(), QDialog::Accepted);
    EXPECT_EQ(link().portNumber(), 1);
}

TEST_F(PortDialog, ComponentBoxesGoThroughTheDialogLayer)
{
    TCommPort::MessageBox("careful", "COM port warning", TCommPort::MB_ICONWARNING);
    TCommPort::MessageBox("broken", "COM port error", TCommPort::MB_ICONERROR);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Warning);
    EXPECT_EQ(dialogs.messages[0].caption, "COM port warning");
    EXPECT_EQ(dialogs.messages[1].icon, TMsgIcon::Error);
    EXPECT_EQ(dialogs.messages[1].text, "broken");
}

TEST_F(PortDialog, SpeedKeysAndListStartFromTheShownEntry)
{
    SetComPort->show();
    control<QPushButton>("ButtonParam")->click();
    auto* speed = control<QComboBox>("ComboBoxSpeed");
    speed->setFocus();
    const auto press = [&](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent down(QEvent::KeyPress, key, modifiers);
        QKeyEvent up(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(speed->focusWidget() ? speed->focusWidget() : speed, &down);
        QApplication::sendEvent(speed->focusWidget() ? speed->focusWidget() : speed, &up);
    };
    // The opened list marks the entry shown.
    press(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(speed->view()->isVisible());
    EXPECT_EQ(speed->view()->currentIndex().data().toString(), "9600");
    speed->hidePopup();
    // Down moves on from it.
    press(Qt::Key_Down);
    EXPECT_EQ(speed->currentText(), "14400");
    press(Qt::Key_Up);
    press(Qt::Key_Up);
    EXPECT_EQ(speed->currentText(), "4800");
    SetComPort->hide();
}
