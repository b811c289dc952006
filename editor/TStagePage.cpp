#include "editor/TStagePage.h"

#include "editor/TCheckGrid.h"
#include "editor/TCloseUpComboBox.h"
#include "editor/TEditorHost.h"
#include "image/TAlarmLists.h"
#include "image/TStageRecord.h"
#include "widgets/TDialogs.h"
#include "widgets/TRadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString CopyCaption = QStringLiteral("Копир.из этапа ");

// The relay boxes carry the names they had when the form was laid out.
QString relayBoxName(int p)
{
    if (p == 0)
        return QStringLiteral("CheckBox169");
    if (p <= 3)
        return QStringLiteral("CheckBox%1").arg(145 + p);
    if (p <= 22)
        return QStringLiteral("CheckBox%1").arg(146 + p);
    return QStringLiteral("CheckBox170");
}
} // namespace

TStagePage::TStagePage(TEditorHost& host, QWidget* parent) : TPage(host, QString(), parent)
{
    header()->setObjectName("StaticText3");
    body()->setSpacing(3);

    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(new QLabel(QStringLiteral("Время работы данного этапа"), this));
    CBTime = new TCloseUpComboBox(this);
    CBTime->setObjectName("CBTime");
    for (int e = 0; e < TAlarmLists::DurationEntries; ++e)
        CBTime->addItem(QString::fromStdString(TAlarmLists::durationEntry(e)));
    CBTime->setCurrentIndex(0);
    timeRow->addWidget(CBTime);
    timeRow->addStretch();
    body()->addLayout(timeRow);

    body()->addWidget(new QLabel(QStringLiteral("Выберите источник и номер сообщения"), this));
    const QStringList numbers{"1", "2", "3", "4", "5", "6", "7", "8"};
    const QStringList titles{"Панель", "MS3-1", "MS3-2", "MS3-3"};
    auto* messageRow = new QHBoxLayout;
    auto* groups = new QVBoxLayout;
    groups->setSpacing(0);
    for (int t = 0; t < 4; ++t) {
        m_groups[t] = new TRadioGroup(QStringLiteral("RG%1").arg(t + 1), titles[t], numbers,
                                      TRadioGroup::Arrangement::Row, this);
        m_groups[t]->setProperty("Tag", t);
        m_groups[t]->layout()->setContentsMargins(6, 0, 6, 0);
        groups->addWidget(m_groups[t]);
        connect(m_groups[t], &TRadioGroup::itemClicked, this, [this, t](int b) { RG1Click(t, b); });
    }
    messageRow->addLayout(groups);
    auto* messageButtons = new QVBoxLayout;
    ButtonCopyTime = makeButton("ButtonCopyTime", QString());
    messageButtons->addWidget(ButtonCopyTime);
    messageButtons->addStretch();
    messageRow->addLayout(messageButtons);
    messageRow->addStretch();
    body()->addLayout(messageRow);

    body()->addWidget(new QLabel(QStringLiteral("Назначте выходы разветвителей для трансляции сообщения"), this));
    auto* outputRow = new QHBoxLayout;
    m_outputGrid = TCheckGrid::outputGrid(97, QStringLiteral("Номер разветвителя Zarna KT7-LB"), this);
    outputRow->addWidget(m_outputGrid);
    auto* outputButtons = new QVBoxLayout;
    ButtonAll = makeButton("ButtonAll", QStringLiteral("Выбрать все"));
    ButtonCancel = makeButton("ButtonCancel", QStringLiteral("Снять все"));
    ButtonCopyZ = makeButton("ButtonCopyZ", QString());
    for (QPushButton* b : {ButtonAll, ButtonCancel, ButtonCopyZ})
        outputButtons->addWidget(b);
    outputButtons->addStretch();
    outputRow->addLayout(outputButtons);
    outputRow->addStretch();
    body()->addLayout(outputRow);

    body()->addWidget(new QLabel(QStringLiteral("Выберите срабатываемые реле"), this));
    auto* relayRow = new QHBoxLayout;
    auto* controllerRelays = new QVBoxLayout;
    CBReleK1 = new QCheckBox(QStringLiteral("  К1"), this);
    CBReleK1->setObjectName("CBReleK1");
    CBReleK2 = new QCheckBox(QStringLiteral("  К2"), this);
    CBReleK2->setObjectName("CBReleK2");
    controllerRelays->addStretch();
    controllerRelays->addWidget(CBReleK1);
    controllerRelays->addWidget(CBReleK2);
    relayRow->addLayout(controllerRelays);
    m_relayGrid
        = new TCheckGrid({Layout::RelayModules, Layout::RelaysPerModule, relayBoxName,
                          QStringLiteral("Номер модуля управления реле"), QStringLiteral("  номер реле"), QString()},
                         this);
    relayRow->addWidget(m_relayGrid);
    auto* relayButtons = new QVBoxLayout;
    Button1 = makeButton("Button1", QStringLiteral("Выбрать все"));
    Button2 = makeButton("Button2", QStringLiteral("Снять все"));
    ButtonCopy = makeButton("ButtonCopy", QString());
    for (QPushButton* b : {Button1, Button2, ButtonCopy})
        relayButtons->addWidget(b);
    relayButtons->addStretch();
    relayRow->addLayout(relayButtons);
    relayRow->addStretch();
    body()->addLayout(relayRow);
    body()->addStretch();

    connect(CBTime, &TCloseUpComboBox::chosen, this, [this] { CBTimeChange(); });
    connect(CBTime, &TCloseUpComboBox::closedUp, this, &TStagePage::CBTimeCloseUp);
    connect(m_outputGrid, &TCheckGrid::boxToggled, this, &TStagePage::CBZClick);
    connect(m_relayGrid, &TCheckGrid::boxToggled, this, &TStagePage::CBReleClick);
    connect(CBReleK1, &QCheckBox::toggled, this, [this] { CBReleK1Click(); });
    connect(CBReleK2, &QCheckBox::toggled, this, [this] { CBReleK2Click(); });
    connect(ButtonAll, &QPushButton::clicked, this, [this] { ButtonAllClick(); });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(ButtonCopyTime, &QPushButton::clicked, this, [this] { ButtonCopyTimeClick(); });
    connect(ButtonCopyZ, &QPushButton::clicked, this, [this] { ButtonCopyZClick(); });
    connect(ButtonCopy, &QPushButton::clicked, this, [this] { ButtonCopyClick(); });
}

QPushButton* TStagePage::makeButton(const QString& name, const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(CopyCaption + "5") + 16);
    return button;
}

void TStagePage::setUsableSplitters(int splitters)
{
    m_outputGrid->setUsableColumns(std::max(splitters, 0));
}

void TStagePage::setUsableRelayModules(int modules)
{
    m_relayGrid->setUsableColumns(std::max(modules, 0));
}

void TStagePage::setUsableMessageModules(int modules)
{
    for (int t = 1; t < 4; ++t)
        m_groups[t]->setEnabled(modules >= t);
}

int TStagePage::stageNumber() const
{
    return m_host.nodeIndex();
}

TStageRecord TStagePage::stage(int j) const
{
    return TStageRecord(m_host.image(), m_host.nodeOffset() + Layout::StageSize * (j - stageNumber()));
}

void TStagePage::load()
{
    const int k = stageNumber();
    const TStageRecord s = stage(k);
    m_loadedStamp = m_host.shownStamp();
    CBReleK1->setChecked(s.k1());
    CBReleK2->setChecked(s.k2());

    // One group shows the message, whether or not its module is present.
    for (TRadioGroup* g : m_groups)
        g->setItemIndex(-1);
    m_groups[static_cast<size_t>(s.messageSource())]->setItemIndex(s.messageNumber() - 1);

    CBTime->setCurrentIndex(TAlarmLists::entryForDuration(s.duration()));
    m_outputGrid->showStates([&](int n) { return s.outputBit(n); });
    m_relayGrid->showStates([&](int n) { return s.relayBit(n); });
    header()->setText(m_host.parentCaption() + " -> " + m_host.nodeCaption());

    const bool hasPrevious = k > 1;
    const QString copyCaption = hasPrevious ? CopyCaption + QString::number(k - 1) : QString();
    for (QPushButton* b : {ButtonCopyTime, ButtonCopyZ, ButtonCopy}) {
        b->setEnabled(hasPrevious);
        b->setText(copyCaption);
    }
}

// ---- running time ---------------------------------------------------------

void TStagePage::CBTimeChange()
{
    if (m_host.loading() || CBTime->currentIndex() < 0)
        return;
    const int k = stageNumber();
    const int entry = CBTime->currentIndex();
    // Stage 1 never runs below 30 s: a shorter entry, 00:00 included, is
    // corrected rather than refused.
    if (belowStageOneMinimum(entry)) {
        correctToStageOneMinimum();
        return;
    }
    // Active stages form an unbroken run from stage 1. The list returns to
    // the stored entry before the box opens: nothing is left to do after it.
    if (entry == 0 && k < Layout::StageCount && stage(k + 1).isOn()) {
        m_host.reloadPage();
        Dlg::error(QStringLiteral("Нельзя выключить этот этап алгоритма,\nтак как последующий этап активен !"));
        return;
    }
    applyDuration(entry);
}

void TStagePage::CBTimeCloseUp()
{
    // The list may close after a box for the choice let a controller read
    // replace the image and show another page.
    if (m_host.loading() || m_loadedStamp != m_host.shownStamp() || !belowStageOneMinimum(CBTime->currentIndex()))
        return;
    correctToStageOneMinimum();
}

bool TStagePage::belowStageOneMinimum(int entry) const
{
    return stageNumber() == 1 && entry >= 0 && entry < TStageRecord::DurationMin;
}

void TStagePage::correctToStageOneMinimum()
{
    // A controller read may complete while the box is open and replace the
    // image and the page: the correction is then dropped, never stored at the
    // offset of whatever node is shown by then.
    const unsigned shown = m_host.shownStamp();
    Dlg::information(QStringLiteral("Время работы 1 этапа\nне может быть менее 30 сек. !"));
    if (m_host.shownStamp() != shown)
        return;
    CBTime->setCurrentIndex(TStageRecord::DurationMin);
    applyDuration(TStageRecord::DurationMin);
}

void TStagePage::applyDuration(int entry)
{
    const int k = stageNumber();
    // A stage that is off or unlimited ends the run: later stages are switched
    // off, their contents stay for when they are switched on again.
    if (entry == 0 || entry == TAlarmLists::UnlimitedEntry)
        for (int j = k + 1; j <= Layout::StageCount; ++j)
            stage(j).setDuration(TStageRecord::DurationOff);
    stage(k).setDuration(TAlarmLists::durationForEntry(entry));
    m_host.refreshStates();
    m_host.imageChanged();
}

// ---- message, boxes, K1 and K2 ---------------------------------------------

void TStagePage::RG1Click(int group, int button)
{
    if (m_host.loading())
        return;
    for (int t = 0; t < static_cast<int>(m_groups.size()); ++t)
        if (t != group)
            m_groups[static_cast<size_t>(t)]->setItemIndex(-1);
    stage(stageNumber()).setMessageCode(static_cast<uint8_t>(8 * group + button));
    m_host.imageChanged();
}

void TStagePage::CBZClick(int position, bool checked)
{
    if (m_host.loading())
        return;
    stage(stageNumber()).setOutputBit(position, checked);
    m_host.imageChanged();
}

void TStagePage::CBReleClick(int position, bool checked)
{
    if (m_host.loading())
        return;
    stage(stageNumber()).setRelayBit(position, checked);
    m_host.imageChanged();
}

void TStagePage::CBReleK1Click()
{
    if (m_host.loading())
        return;
    stage(stageNumber()).setK1(CBReleK1->isChecked());
    m_host.imageChanged();
}

void TStagePage::CBReleK2Click()
{
    if (m_host.loading())
        return;
    stage(stageNumber()).setK2(CBReleK2->isChecked());
    m_host.imageChanged();
}

// ---- select all, clear all ---------------------------------------------------

void TStagePage::setAllBoxes(TCheckGrid* grid, bool on, BitWriter write)
{
    if (m_host.loading())
        return;
    // Boxes of absent modules are disabled and shown cleared: neither they nor
    // their bits are touched.
    TStageRecord s = stage(stageNumber());
    bool changed = false;
    for (int p = 0; p < grid->count(); ++p) {
        QCheckBox* box = grid->box(p);
        if (!box->isEnabled() || box->isChecked() == on)
            continue;
        const QSignalBlocker blocker(box);
        box->setChecked(on);
        (s.*write)(p, on);
        changed = true;
    }
    if (changed)
        m_host.imageChanged();
}

void TStagePage::ButtonAllClick()
{
    setAllBoxes(m_outputGrid, true, &TStageRecord::setOutputBit);
}
void TStagePage::ButtonCancelClick()
{
    setAllBoxes(m_outputGrid, false, &TStageRecord::setOutputBit);
}
void TStagePage::Button1Click()
{
    setAllBoxes(m_relayGrid, true, &TStageRecord::setRelayBit);
}
void TStagePage::Button2Click()
{
    setAllBoxes(m_relayGrid, false, &TStageRecord::setRelayBit);
}

// ---- copies from the previous stage -------------------------------------------

void TStagePage::copyFromPrevious(StageCopy copy)
{
    const int k = stageNumber();
    if (m_host.loading() || k < 2)
        return;
    TStageRecord s = stage(k);
    (s.*copy)(stage(k - 1));
    m_host.reloadPage();
    m_host.refreshStates();
    m_host.imageChanged();
}

void TStagePage::ButtonCopyTimeClick()
{
    copyFromPrevious(&TStageRecord::copyTimeAndMessage);
}
void TStagePage::ButtonCopyZClick()
{
    copyFromPrevious(&TStageRecord::copyOutputs);
}
void TStagePage::ButtonCopyClick()
{
    copyFromPrevious(&TStageRecord::copyRelays);
}
