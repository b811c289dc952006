#include "diag/TDumpModel.h"

#include "link/THexText.h"

#include <algorithm>

namespace {

QString hexDigits(unsigned value, int width)
{
    return QString::fromStdString(THexText::of(value, width));
}

// Column FirstBitColumn shows the most significant bit, as the image bit order does.
uint8_t bitMaskOfColumn(int column)
{
    return static_cast<uint8_t>(0x80u >> (column - TDumpModel::FirstBitColumn));
}

bool isBitColumn(int column)
{
    return column >= TDumpModel::FirstBitColumn && column < TDumpModel::HexColumn;
}

} // namespace

TDumpModel::TDumpModel(QObject* parent) : QAbstractTableModel(parent)
{
}

void TDumpModel::setImage(const TImage& image)
{
    int first = TImage::Size;
    int last = -1;
    for (int a = 0; a < TImage::Size; ++a) {
        if (!m_hasImage || m_bytes[static_cast<size_t>(a)] != image.bytes()[static_cast<size_t>(a)]) {
            first = std::min(first, a);
            last = a;
        }
    }
    m_bytes = image.bytes();
    m_hasImage = true;
    if (last >= 0)
        emit dataChanged(index(rowOfOffset(first), FirstBitColumn), index(rowOfOffset(last), HexColumn),
                         {Qt::DisplayRole});
}

int TDumpModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount;
}

int TDumpModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TDumpModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return cellText(index.row(), index.column());
}

// The heading row and the address column are also the view's header sections,
// so they stay in place while the bits scroll.
QVariant TDumpModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return cellText(HeadingRow, section);
    return cellText(section, AddressColumn);
}

QString TDumpModel::cellText(int row, int column) const
{
    if (row < 0 || row >= RowCount || column < 0 || column >= ColumnCount)
        return {};
    if (row == HeadingRow)
        return isBitColumn(column) ? QString::number(HexColumn - 1 - column) : QString();
    const int offset = offsetOfRow(row);
    if (column == AddressColumn)
        return hexDigits(static_cast<unsigned>(offset), 4);
    if (!m_hasImage || offset >= TImage::Size)
        return {};
    const uint8_t value = m_bytes[static_cast<size_t>(offset)];
    if (column == HexColumn)
        return QStringLiteral("0x") + hexDigits(value, 2);
    return (value & bitMaskOfColumn(column)) ? QStringLiteral("1") : QStringLiteral("0");
}
