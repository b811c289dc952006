#include "app/TMatrixCellDelegate.h"

#include <QPainter>

#include <cmath>

void TMatrixCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
    else if (const QVariant tint = index.data(Qt::BackgroundRole); tint.canConvert<QBrush>())
        painter->fillRect(option.rect, tint.value<QBrush>());
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
        auto found = m_texts.find(text);
        if (found == m_texts.end()) {
            QStaticText laidOut(text);
            laidOut.setTextFormat(Qt::PlainText);
            laidOut.prepare(QTransform(), option.font);
            found = m_texts.insert(text, laidOut);
        }
        const QSizeF size = found->size();
        painter->setFont(option.font);
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        // On whole pixels: the same text looks the same in every cell.
        painter->drawStaticText(QPointF(std::round(option.rect.center().x() - size.width() / 2 + 1),
                                        std::round(option.rect.center().y() - size.height() / 2 + 1)),
                                *found);
    }
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
    }
}
