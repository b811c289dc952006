#include "app/TStatusPanels.h"

#include <QLabel>
#include <QStatusBar>

TStatusPanels::TStatusPanels(QStatusBar& bar)
{
    bar.setObjectName("StatusBar1");
    bar.setSizeGripEnabled(false);
    constexpr int Widths[Count] = {200, 200, 100};
    for (int i = 0; i < Count; ++i) {
        auto* panel = new QLabel(&bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        const bool last = i == Count - 1;
        if (last) {
            panel->setMinimumWidth(Widths[i]);
        } else {
            panel->setFixedWidth(Widths[i]);
            panel->setAlignment(Qt::AlignCenter);
        }
        bar.addWidget(panel, last ? 1 : 0);
        m_panels[static_cast<size_t>(i)] = panel;
    }
}

void TStatusPanels::setText(int panel, const QString& text)
{
    QLabel* label = m_panels.at(static_cast<size_t>(panel));
    label->setText(text);
    label->setToolTip(text);
}

QString TStatusPanels::text(int panel) const
{
    return m_panels.at(static_cast<size_t>(panel))->text();
}

QLabel* TStatusPanels::panel(int panel) const
{
    return m_panels.at(static_cast<size_t>(panel));
}
