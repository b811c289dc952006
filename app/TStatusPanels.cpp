#include "app/TStatusPanels.h"

#include <QEvent>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>

TStatusPanels::TStatusPanels(QStatusBar& bar) : QObject(&bar)
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
            panel->installEventFilter(this);
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
    m_texts.at(static_cast<size_t>(panel)) = text;
    show(panel);
}

QString TStatusPanels::text(int panel) const
{
    return m_texts.at(static_cast<size_t>(panel));
}

void TStatusPanels::show(int panel)
{
    QLabel* label = m_panels.at(static_cast<size_t>(panel));
    const QString& text = m_texts.at(static_cast<size_t>(panel));
    // The room QLabel leaves its text: the contents less the margins and the
    // indent it puts before left-aligned text in a frame.
    const QFontMetrics metrics = label->fontMetrics();
    const int indent = label->indent() < 0 && label->frameWidth() > 0
        ? metrics.horizontalAdvance(QLatin1Char('x')) / 2 - label->margin()
        : label->indent();
    const int room = label->contentsRect().width() - 2 * label->margin() - std::max(indent, 0);
    label->setText(panel == Count - 1 && room > 0 ? metrics.elidedText(text, Qt::ElideRight, room) : text);
    label->setToolTip(text);
}

bool TStatusPanels::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == m_panels.back())
        show(Count - 1);
    return QObject::eventFilter(watched, event);
}
