#pragma once
// The cells of the dump grid: a heading row, an address column, and for each
// image byte its eight bits and its hexadecimal value. The model keeps only a
// copy of the image taken at the last refresh; cell texts are made on demand,
// so a refresh costs one 2048-byte copy however many cells the grid has.

#include "image/TImage.h"

#include <QAbstractTableModel>

class TDumpModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int RowCount = 2080;
    static constexpr int ColumnCount = 10;
    static constexpr int HeadingRow = 0;
    static constexpr int AddressColumn = 0;
    static constexpr int FirstBitColumn = 1;
    static constexpr int BitColumns = 8;
    static constexpr int HexColumn = FirstBitColumn + BitColumns;

    explicit TDumpModel(QObject* parent = nullptr);

    // Image offset shown in a row, or -1 for the heading row.
    static int offsetOfRow(int row) { return row - 1; }
    static int rowOfOffset(int offset) { return offset + 1; }

    // Takes a copy of the image and tells the views which rows changed.
    void setImage(const TImage& image);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString cellText(int row, int column) const;

    TImage::Bytes m_bytes{};
    bool m_hasImage = false;
};
