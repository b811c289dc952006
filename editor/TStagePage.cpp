#include "editor/TStagePage.h"

#include "editor/TCheckGrid.h"
#include "editor/TEditorHost.h"
#include "editor/TRadioGroup.h"
#include "image/ImageLayout.h"
#include "image/TAlarmLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
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

TStagePage::TStagePage(TEditorHost& host, QWidget* parent)
    : TPage(host, QString(), parent)
{
    header()->setObjectName("StaticText3");

    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(new QLabel(QStringLiteral("Время работы данного этапа"), this));
    CBTime = new QComboBox(this);
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
    auto* groups = new QGridLayout;
    for (int t = 0; t < 4; ++t) {
        m_groups[t] = new TRadioGroup(QStringLiteral("RG%1").arg(t + 1), titles[t], numbers,
                                      TRadioGroup::Arrangement::Row, this);
        m_groups[t]->setProperty("Tag", t);
        groups->addWidget(m_groups[t], t / 2, t % 2);
        connect(m_groups[t], &TRadioGroup::itemClicked, this, [this, t](int b) { RG1Click(t, b); });
    }
    body()->addLayout(groups);
    ButtonCopyTime = addButton("ButtonCopyTime", QString());

    body()->addWidget(new QLabel(QStringLiteral("Назначте выходы разветвителей для трансляции сообщения"), this));
    m_outputGrid = new TCheckGrid({Layout::Splitters, Layout::OutputsPerSplitter,
                                   [](int p) { return QStringLiteral("CheckBox%1").arg(97 + p); },
                                   QStringLiteral("Номер разветвителя Zarna KT7-LB"), QStringLiteral("  Выход"),
                                   QStringLiteral("OUT")},
                                  this);
    body()->addWidget(m_outputGrid);
    ButtonAll = addButton("ButtonAll", QStringLiteral("Выбрать все"));
    ButtonCancel = addButton("ButtonCancel", QStringLiteral("Снять все"));
    ButtonCopyZ = addButton("ButtonCopyZ", QString());

    body()->addWidget(new QLabel(QStringLiteral("Выберите срабатываемые реле"), this));
    auto* relayRow = new QHBoxLayout;
    CBReleK1 = new QCheckBox(QStringLiteral("  К1"), this);
    CBReleK1->setObjectName("CBReleK1");
    CBReleK2 = new QCheckBox(QStringLiteral("  К2"), this);
    CBReleK2->setObjectName("CBReleK2");
    relayRow->addWidget(CBReleK1);
    relayRow->addWidget(CBReleK2);
    m_relayGrid = new TCheckGrid({Layout::RelayModules, Layout::RelaysPerModule, relayBoxName,
                                  QStringLiteral("Номер модуля управления реле"), QStringLiteral("  номер реле"),
                                  QString()},
                                 this);
    relayRow->addWidget(m_relayGrid);
    body()->addLayout(relayRow);
    Button1 = addButton("Button1", QStringLiteral("Выбрать все"));
    Button2 = addButton("Button2", QStringLiteral("Снять все"));
    ButtonCopy = addButton("ButtonCopy", QString());
    body()->addStretch();

    connect(CBTime, &QComboBox::activated, this, [this] { CBTimeChange(); });
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

QPushButton* TStagePage::addButton(const QString& name, const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    body()->addWidget(button);
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

void TStagePage::load() {}
void TStagePage::CBTimeChange() {}
void TStagePage::CBTimeCloseUp() {}
void TStagePage::RG1Click(int, int) {}
void TStagePage::CBZClick(int, bool) {}
void TStagePage::CBReleClick(int, bool) {}
void TStagePage::CBReleK1Click() {}
void TStagePage::CBReleK2Click() {}
void TStagePage::ButtonAllClick() {}
void TStagePage::ButtonCancelClick() {}
void TStagePage::Button1Click() {}
void TStagePage::Button2Click() {}
void TStagePage::ButtonCopyTimeClick() {}
void TStagePage::ButtonCopyZClick() {}
void TStagePage::ButtonCopyClick() {}
