#include "diag/TDumpCellPainter.h"

#include <QPainter>

namespace {
constexpr int TextIndent = 2;
}

void TDumpCellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    const QStaticText& layout = layoutOf(text, option.font);
    const QRect cell = option.rect;
    const qreal top = cell.top() + (cell.height() - layout.size().height()) / 2;
    painter->save();
    painter->setClipRect(cell);
    painter->setFont(option.font);
    painter->setPen(option.palette.color(QPalette::Text));
    painter->drawStaticText(QPointF(cell.left() + TextIndent, top), layout);
    painter->restore();
}

const QStaticText& TDumpCellPainter::layoutOf(const QString& text, const QFont& font) const
{
    if (font != m_layoutFont) {
        m_layouts.clear();
        m_layoutFont = font;
    }
    auto found = m_layouts.find(text);
    if (found == m_layouts.end()) {
        QStaticText layout(text);
        layout.setTextFormat(Qt::PlainText);
        layout.prepare(QTransform(), font);
        found = m_layouts.insert(text, layout);
    }
    return *found;
}
