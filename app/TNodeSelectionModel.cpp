#include "app/TNodeSelectionModel.h"

#include <algorithm>

TNodeSelectionModel::TNodeSelectionModel(QAbstractItemModel* model, Refuses refuses, QObject* parent)
    : QItemSelectionModel(model, parent), m_refuses(std::move(refuses))
{
}

void TNodeSelectionModel::setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command)
{
    if (index.isValid() && m_refuses(index))
        return;
    QItemSelectionModel::setCurrentIndex(index, command);
}

void TNodeSelectionModel::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command)
{
    const QModelIndexList indexes = selection.indexes();
    if (std::any_of(indexes.begin(), indexes.end(), [this](const QModelIndex& i) { return m_refuses(i); }))
        return;
    QItemSelectionModel::select(selection, command);
}
