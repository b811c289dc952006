#pragma once
// Draws a cell of the cause-and-effect matrix: its tint, its few characters
// centred, the selection and the focus. The texts are laid out once and kept
// (a matrix holds a handful of different ones), so that a table repainted
// after every edit costs little.

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

class TMatrixCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    mutable QHash<QString, QStaticText> m_texts;
};
