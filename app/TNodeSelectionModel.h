#pragma once
// The navigation tree's selection: a node the window refuses never becomes
// current or highlighted, whether a click, a key or the program asks for it.
// The refusal happens before the view changes anything, so neither the
// highlight nor the current node leaves the node shown.

#include <QItemSelectionModel>

#include <functional>

class TNodeSelectionModel : public QItemSelectionModel {
    Q_OBJECT
public:
    using Refuses = std::function<bool(const QModelIndex&)>;

    TNodeSelectionModel(QAbstractItemModel* model, Refuses refuses, QObject* parent);

    using QItemSelectionModel::select;
    void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;

private:
    Refuses m_refuses;
};
