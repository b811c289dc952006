#include "app/TSetComPort.h"

#include "serial/TCommPort.h"
#include "serial/TPortMap.h"
#include "widgets/TRadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

TSetComPort* SetComPort = nullptr;

namespace {
constexpr int PortCount = 255;
constexpr int Margin = 8;
constexpr int ButtonWidth = 80;
constexpr int ButtonHeight = 26;
constexpr int MinDataBits = 5;
const QString NoDevice = QStringLiteral("нет устройства");

// The decimal value of a text, or fallback when it is not a number.
int numberOr(const QString& text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : fallback;
}
} // namespace

TSetComPort::TSetComPort(QWidget* parent) : QDialog(parent)
{
    setObjectName("SetComPort");
    setWindowTitle(QStringLiteral("Подключение к контроллеру"));

    CheckBox1 = new QCheckBox(QStringLiteral("Определить номер порта автоматически"), this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(12, 10, 306, 22);
    CheckBox1->setChecked(true);

    Label1 = new QLabel(QStringLiteral("Выбор номера порта вручную"), this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(12, 40, 306, 20);

    ComboBoxPort = new QComboBox(this);
    ComboBoxPort->setObjectName("ComboBoxPort");
    ComboBoxPort->setEditable(true);
    ComboBoxPort->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxPort->setGeometry(12, 62, 80, 24);
    for (int n = 1; n <= PortCount; ++n)
        ComboBoxPort->addItem(QString::number(n));
    ComboBoxPort->setCurrentIndex(-1);
    ComboBoxPort->setEnabled(false);

    LabelDevice = new QLabel(this);
    LabelDevice->setObjectName("LabelDevice");
    LabelDevice->setGeometry(100, 62, 218, 24);

    ButtonParam = new QPushButton(QStringLiteral("Параметры порта ..."), this);
    ButtonParam->setObjectName("ButtonParam");
    ButtonParam->setGeometry(12, 96, 150, ButtonHeight);

    buildLineParameters();

    ButtonOk = new QPushButton(QStringLiteral("Отмена"), this);
    ButtonOk->setObjectName("ButtonOk");
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);

    connect(CheckBox1, &QCheckBox::clicked, this, &TSetComPort::CheckBox1Click);
    connect(ButtonParam, &QPushButton::clicked, this, &TSetComPort::ButtonParamClick);
    connect(ComboBoxPort, &QComboBox::currentTextChanged, this, &TSetComPort::showDevice);
    connect(ButtonOk, &QPushButton::clicked, this, [this] {
        ButtonOkClick();
        reject();
    });
    connect(Button1, &QPushButton::clicked, this, [this] {
        ButtonOkClick();
        accept();
    });

    setHeight(CompactHeight);
}

void TSetComPort::buildLineParameters()
{
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(Margin, 132, DialogWidth - 2 * Margin, GroupHeight);

    auto* speedLabel = new QLabel(QStringLiteral("Speed"), GroupBox1);
    speedLabel->setObjectName("Label2");
    speedLabel->setGeometry(8, 12, 50, 22);
    ComboBoxSpeed = new QComboBox(GroupBox1);
    ComboBoxSpeed->setObjectName("ComboBoxSpeed");
    ComboBoxSpeed->setEditable(true);
    ComboBoxSpeed->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxSpeed->addItems({"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000",
                             "57600", "115200", "128000", "256000"});
    // The entry shown is the current one, so the keys and the opened list
    // start from it.
    ComboBoxSpeed->setCurrentIndex(ComboBoxSpeed->findText("9600"));
    ComboBoxSpeed->setGeometry(58, 12, 90, 22);

    auto* controlLabel = new QLabel(QStringLiteral("Control"), GroupBox1);
    controlLabel->setObjectName("Label3");
    controlLabel->setGeometry(160, 12, 50, 22);
    ComboBoxControl = new QComboBox(GroupBox1);
    ComboBoxControl->setObjectName("ComboBoxControl");
    ComboBoxControl->addItems({"None", "Soft", "Hard"});
    ComboBoxControl->setCurrentIndex(0);
    ComboBoxControl->setGeometry(212, 12, 90, 22);

    using A = TRadioGroup::Arrangement;
    RadioGroupParity
        = new TRadioGroup("RadioGroupParity", "Parity", {"None", "Odd", "Even", "Mark", "Space"}, A::Column, GroupBox1);
    RadioGroupParity->setGeometry(8, 40, 94, 146);
    RadioGroupParity->setItemIndex(0);
    RadioGroupData = new TRadioGroup("RadioGroupData", "Data width", {"5 bits", "6 bits", "7 bits", "8 bits"},
                                     A::Column, GroupBox1);
    RadioGroupData->setGeometry(108, 40, 94, 146);
    RadioGroupData->setItemIndex(3);
    RadioGroupStop = new TRadioGroup("RadioGroupStop", "Stop bits", {"1", "1.5", "2"}, A::Column, GroupBox1);
    RadioGroupStop->setGeometry(208, 40, 94, 96);
    RadioGroupStop->setItemIndex(0);

    CheckBoxDTR = new QCheckBox("DTR", GroupBox1);
    CheckBoxDTR->setObjectName("CheckBoxDTR");
    CheckBoxDTR->setGeometry(212, 140, 90, 20);
    CheckBoxDTR->setChecked(true);
    CheckBoxRTS = new QCheckBox("RTS", GroupBox1);
    CheckBoxRTS->setObjectName("CheckBoxRTS");
    CheckBoxRTS->setGeometry(212, 164, 90, 20);
    CheckBoxRTS->setChecked(true);

    GroupBox1->hide();
}

bool TSetComPort::automatic() const
{
    return CheckBox1->isChecked();
}

void TSetComPort::CheckBox1Click()
{
    if (CheckBox1->isChecked()) {
        ComboBoxPort->setCurrentIndex(-1);
        ComboBoxPort->clearEditText();
        ComboBoxPort->setEnabled(false);
    } else {
        ComboBoxPort->setEnabled(true);
        ComboBoxPort->setCurrentIndex(0);
    }
    showDevice();
}

void TSetComPort::ButtonParamClick()
{
    GroupBox1->setVisible(!GroupBox1->isVisibleTo(this));
    setHeight(CompactHeight + (GroupBox1->isVisibleTo(this) ? GroupHeight : 0));
}

void TSetComPort::ButtonOkClick()
{
    if (!m_port)
        return;
    m_setPortNumber(automatic() ? 1 : numberOr(ComboBoxPort->currentText(), 1));
    TCommPort& port = *m_port;
    port.SetBaud(numberOr(ComboBoxSpeed->currentText(), 0));
    port.SetComControl(static_cast<TComControl>(ComboBoxControl->currentIndex()));
    port.SetParity(static_cast<TParity>(RadioGroupParity->itemIndex()));
    port.SetDataBits(static_cast<uint16_t>(RadioGroupData->itemIndex() + MinDataBits));
    port.SetStopBits(static_cast<TStopBits>(RadioGroupStop->itemIndex()));
    port.SetDTR(CheckBoxDTR->isChecked());
    port.SetRTS(CheckBoxRTS->isChecked());
}

void TSetComPort::showDevice()
{
    if (automatic()) {
        LabelDevice->clear();
        return;
    }
    const QString device = QString::fromStdString(TPortMap::Device(numberOr(ComboBoxPort->currentText(), 0)));
    // A link in the ports folder may name a device that is not there (an
    // adapter unplugged): that number has no device either.
    LabelDevice->setText(device.isEmpty() || !QFileInfo::exists(device) ? NoDevice : device);
}

void TSetComPort::setHeight(int height)
{
    setFixedSize(DialogWidth, height);
    const int top = height - Margin - ButtonHeight;
    Button1->setGeometry(DialogWidth - Margin - ButtonWidth, top, ButtonWidth, ButtonHeight);
    ButtonOk->setGeometry(DialogWidth - 2 * (Margin + ButtonWidth), top, ButtonWidth, ButtonHeight);
}

void TSetComPort::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Devices come and go while the program runs.
    showDevice();
    CheckBox1->setFocus();
}
