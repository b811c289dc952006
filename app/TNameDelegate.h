#pragma once
// Cells that hold a name: their editor takes exactly the texts the names file
// stores and reads back unchanged.

#include <QStyledItemDelegate>

class TNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
