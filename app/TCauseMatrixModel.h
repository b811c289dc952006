#pragma once
// One table of the cause-and-effect matrix for a view: the algorithms (a
// cell lists the stages, its tool tip the times and the message) or the
// zones (a cell marks an output). Columns of no alarm and algorithms that
// switch nothing are tinted and say so in their tool tips; the columns of
// every second splitter and relay module are shaded, as in the report.

#include "report/TCauseMatrix.h"

#include <QAbstractTableModel>

class TCauseMatrixModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Table { Algorithms, Zones };
    static const QColor Unused;
    static const QColor Shaded;

    TCauseMatrixModel(Table table, QObject* parent);

    // Shows the matrix: the shape kept, only the texts change (a view keeps
    // its current cell), otherwise the table starts again.
    void show(const TCauseMatrix& matrix);
    const TCauseMatrix& matrix() const { return m_matrix; }
    Table table() const { return m_table; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The different texts the cells of a column show, each once.
    QStringList columnTexts(int column) const;

    // The tree node a cell or a row head stands for: the first stage in the
    // cell, or the input (a row head, an empty cell); a button, a group or
    // the functional settings for the zones.
    TConfigFinding nodeAt(int row, int column) const;

private:
    bool unusedRow(int row) const;

    Table m_table;
    TCauseMatrix m_matrix;
};
