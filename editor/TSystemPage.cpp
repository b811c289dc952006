#include "editor/TSystemPage.h"

#include "editor/TEditorHost.h"
#include "image/ImageLayout.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

TSystemPage::TSystemPage(TEditorHost& host, QWidget* parent)
    : TPage(host, QStringLiteral("  Конфигурация системы"), parent)
{
    CBCount = addList("CBCount", "Количество разветвителей Zarna KT7-LB", 12, 1);
    CBPult = addList("CBPult", "Количество пультов диктора", 4, 0);
    CBMod = addList("CBMod", "Количество модулей  сообщений KT7-MS3", 4, 0);
    CBRele = addList("CBRele", "Количество модулей управления реле ", 7, 0);
    body()->addStretch();

    // Only a choice by the user raises the handlers; the loader's setCurrentIndex does not.
    connect(CBCount, &QComboBox::activated, this, [this] { CBCountChange(); });
    connect(CBPult, &QComboBox::activated, this, [this] { CBPultChange(); });
    connect(CBMod, &QComboBox::activated, this, [this] { CBModChange(); });
    connect(CBRele, &QComboBox::activated, this, [this] { CBReleChange(); });
}

QComboBox* TSystemPage::addList(const QString& name, const QString& label, int items, int first)
{
    auto* row = new QFormLayout;
    auto* list = new QComboBox(this);
    list->setObjectName(name);
    list->setEditable(false);
    for (int i = 0; i < items; ++i)
        list->addItem(QString::number(first + i));
    row->addRow(new QLabel(label, this), list);
    body()->addLayout(row);
    return list;
}

namespace {
// A stored value beyond the list's items shows no choice.
void showValue(QComboBox* list, int value)
{
    list->setCurrentIndex(value < list->count() ? value : -1);
}
} // namespace

void TSystemPage::load()
{
    const TImage& image = m_host.image();
    const int node = m_host.nodeOffset();
    showValue(CBCount, image.value(Layout::SplitterCount.at(node)));
    showValue(CBPult, image.value(Layout::ConsoleCount.at(node)));
    showValue(CBMod, image.value(Layout::MessageModules.at(node)));
    showValue(CBRele, image.value(Layout::RelayModuleCount.at(node)));
}

int TSystemPage::splitters() const
{
    return CBCount->currentIndex() < 0 ? -1 : CBCount->currentIndex() + 1;
}

int TSystemPage::consoles() const
{
    return CBPult->currentIndex();
}

QStringList TSystemPage::shownCounts() const
{
    return {CBCount->currentText(), CBPult->currentText(), CBMod->currentText(), CBRele->currentText()};
}

void TSystemPage::CBCountChange()
{
    if (m_host.loading())
        return;
    applySplitterCount();
}

void TSystemPage::applySplitterCount()
{
    const int n = splitters();
    m_host.setUsableSplitters(n);
    if (n > 0)
        m_host.image().setValue(Layout::SplitterCount.at(Layout::SystemNode), static_cast<uint8_t>(n - 1));
    m_host.imageChanged();
}

void TSystemPage::CBPultChange()
{
    if (m_host.loading() || CBPult->currentIndex() < 0)
        return;
    m_host.image().setValue(Layout::ConsoleCount.at(m_host.nodeOffset()), static_cast<uint8_t>(CBPult->currentIndex()));
    m_host.imageChanged();
}

void TSystemPage::CBModChange()
{
    if (m_host.loading())
        return;
    const int m = CBMod->currentIndex();
    if (m >= 0)
        m_host.image().setValue(Layout::MessageModules.at(m_host.nodeOffset()), static_cast<uint8_t>(m));
    m_host.setUsableMessageModules(m);
    m_host.imageChanged();
}

void TSystemPage::CBReleChange()
{
    if (m_host.loading())
        return;
    const int r = CBRele->currentIndex();
    m_host.setUsableRelayModules(r);
    if (r >= 0)
        m_host.image().setValue(Layout::RelayModuleCount.at(m_host.nodeOffset()), static_cast<uint8_t>(r));
    m_host.imageChanged();
}
