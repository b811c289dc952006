#pragma once
// Paints the dump grid's cells. The grid shows only "0", "1" and "0x00".."0xFF",
// so each text is laid out once and then drawn from the cached layout; the
// toolkit's standard item painting lays every cell out anew on every repaint,
// which makes a repaint of the visible rows cost tens of milliseconds.

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

class TDumpCellPainter : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const QStaticText& layoutOf(const QString& text, const QFont& font) const;

    mutable QHash<QString, QStaticText> m_layouts;
    mutable QFont m_layoutFont;
};
