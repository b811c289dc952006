#include "editor/TAlgorithmPage.h"

#include "editor/TEditorHost.h"
#include "image/TAlarmLists.h"
#include "image/TAlarmRecord.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TAlgorithmPage::TAlgorithmPage(TEditorHost& host, QWidget* parent)
    : TPage(host, QString(), parent)
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
    body()->addWidget(EditAName);
    Button6 = new QPushButton(QStringLiteral("Применить"), this);
    Button6->setObjectName("Button6");
    body()->addWidget(Button6);
    body()->addStretch();

    connect(CBIntState, &QCheckBox::toggled, this, [this] { CBIntStateClick(); });
    connect(CBDelay, &QComboBox::activated, this, [this] { CBDelayChange(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
}

void TAlgorithmPage::load() {}
void TAlgorithmPage::CBIntStateClick() {}
void TAlgorithmPage::CBDelayChange() {}
void TAlgorithmPage::Button6Click() {}
