#include "editor/TAlgorithmPage.h"

#include "editor/TEditorHost.h"
#include "editor/TNameValidator.h"
#include "image/TAlarmLists.h"
#include "image/TAlarmRecord.h"
#include "widgets/TDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TAlgorithmPage::TAlgorithmPage(TEditorHost& host, QWidget* parent) : TPage(host, QString(), parent)
{
    header()->setObjectName("StaticText8");
    CBIntState = new QCheckBox(QStringLiteral("Включить алгоритм"), this);
    CBIntState->setObjectName("CBIntState");
    body()->addWidget(CBIntState);

    body()->addWidget(new QLabel(QStringLiteral("Время задержки перед началом выполнения алгоритма"), this));
    CBDelay = new QComboBox(this);
    CBDelay->setObjectName("CBDelay");
    for (int code = 0; code < TAlarmLists::DelayEntries; ++code)
        CBDelay->addItem(QString::fromStdString(TAlarmLists::delayEntry(code)));
    body()->addWidget(CBDelay);

    body()->addWidget(new QLabel(QStringLiteral("Наименование алгоритма оповещения"), this));
    EditAName = new QLineEdit(this);
    EditAName->setObjectName("EditAName");
    EditAName->setValidator(new TNameValidator(EditAName));
    body()->addWidget(EditAName);
    Button6 = new QPushButton(QStringLiteral("Применить"), this);
    Button6->setObjectName("Button6");
    body()->addWidget(Button6);
    body()->addStretch();

    connect(CBIntState, &QCheckBox::toggled, this, [this] { CBIntStateClick(); });
    connect(CBDelay, &QComboBox::activated, this, [this] { CBDelayChange(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(EditAName, &QLineEdit::returnPressed, this, [this] { Button6Click(); });
}

TAlarmRecord TAlgorithmPage::record() const
{
    return TAlarmRecord(m_host.image(), m_host.nodeIndex());
}

void TAlgorithmPage::load()
{
    m_input = m_host.nodeIndex();
    const TAlarmRecord r = record();
    CBIntState->setChecked(r.enabled());
    header()->setText(m_host.parentCaption() + " -> " + m_host.nodeCaption());
    EditAName->setText(m_host.inputName(m_host.nodeIndex()));
    // A stored code without a list entry shows as no entry and stays stored.
    const int code = r.delayCode();
    CBDelay->setCurrentIndex(code < TAlarmLists::DelayEntries ? code : -1);
    if (m_below) {
        m_below->updateGeometry();
        m_below->update();
    }
}

void TAlgorithmPage::addBelow(QWidget* view)
{
    m_below = view;
    // Above the stretch that closes the page.
    body()->insertWidget(body()->count() - 1, view);
}

void TAlgorithmPage::CBIntStateClick()
{
    if (m_host.loading())
        return;
    const int input = m_host.nodeIndex();
    const bool on = CBIntState->isChecked();
    // Switched-on algorithms form an unbroken run from IN-1.
    if (!on && input < Layout::InputCount && TAlarmRecord(m_host.image(), input + 1).enabled()) {
        const QSignalBlocker blocker(CBIntState);
        CBIntState->setChecked(true);
        Dlg::error(QStringLiteral("Нельзя выключить этот алгоритм,\nтак как алгоритм на последующем входе активен !"));
        return;
    }
    TAlarmRecord r = record();
    r.setEnabled(on);
    m_host.setNodeExpanded(false);
    // Every switch, on or off, starts stage 1 again at its shortest running time.
    r.stage(1).setDuration(TStageRecord::DurationMin);
    if (on)
        m_host.setNodeExpanded(true);
    m_host.refreshStates();
    m_host.imageChanged();
}

void TAlgorithmPage::CBDelayChange()
{
    if (m_host.loading() || CBDelay->currentIndex() < 0)
        return;
    record().setDelayCode(static_cast<uint8_t>(CBDelay->currentIndex()));
    m_host.imageChanged();
}

void TAlgorithmPage::Button6Click()
{
    // The name is kept beside the image: the image does not change.
    m_host.renameInput(m_host.nodeIndex(), EditAName->text());
    EditAName->setModified(false);
    header()->setText(m_host.parentCaption() + " -> " + m_host.nodeCaption());
}

void TAlgorithmPage::leave()
{
    if (EditAName->isModified() && EditAName->text() != m_host.inputName(m_input))
        m_host.renameInput(m_input, EditAName->text());
    EditAName->setModified(false);
}
