#include "editor/TZonePage.h"

#include "editor/TCheckGrid.h"
#include "editor/TEditorHost.h"
#include "image/ImageLayout.h"

#include <QLabel>
#include <QVBoxLayout>

TZonePage::TZonePage(TEditorHost& host, QWidget* parent) : TPage(host, QString(), parent)
{
    header()->setObjectName("StaticText7");
    Label12 = new QLabel(this);
    Label12->setObjectName("Label12");
    body()->addWidget(Label12);
    m_grid = TCheckGrid::outputGrid(1, QStringLiteral("№ разветвителя Zarna KT7-LB"), this);
    body()->addWidget(m_grid);
    body()->addStretch();
    m_grid->setColumnsClickable(QStringLiteral("Включить или выключить все выходы разветвителя"));
    connect(m_grid, &TCheckGrid::boxToggled, this, &TZonePage::CBGrpClick);
    connect(m_grid, &TCheckGrid::columnClicked, this, &TZonePage::SplitterHeadingClick);
}

void TZonePage::load()
{
    const int node = m_host.nodeOffset();
    const bool button = node < Layout::GroupTable;
    Label12->setText(button ? QStringLiteral("Назначте выходы разветвителей активируемые данной кнопкой")
                            : QStringLiteral("Назначте выходы разветвителей соответствующие данной группе"));
    const TImage& image = m_host.image();
    m_grid->showStates([&](int p) { return image.bit(node, p); });
    header()->setText(m_host.parentCaption() + " -> " + m_host.nodeCaption());
}

void TZonePage::setUsableSplitters(int splitters)
{
    m_grid->setUsableColumns(std::max(splitters, 0));
}

void TZonePage::CBGrpClick(int position, bool checked)
{
    if (m_host.loading())
        return;
    m_host.image().setBit(m_host.nodeOffset(), position, checked);
    m_host.refreshStates();
    m_host.imageChanged();
}

void TZonePage::SplitterHeadingClick(int splitter)
{
    if (m_host.loading())
        return;
    const int node = m_host.nodeOffset();
    TImage& image = m_host.image();
    const int first = splitter * Layout::OutputsPerSplitter;
    bool allOn = true;
    for (int p = first; p < first + Layout::OutputsPerSplitter; ++p)
        allOn = allOn && image.bit(node, p);
    for (int p = first; p < first + Layout::OutputsPerSplitter; ++p)
        image.setBit(node, p, !allOn);
    m_host.refreshStates();
    m_host.imageChanged();
    m_host.reloadPage();
}
