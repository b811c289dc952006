#include "app/TNameDelegate.h"

#include "editor/TNameValidator.h"

#include <QLineEdit>

QWidget* TNameDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setValidator(new TNameValidator(line));
    return editor;
}
