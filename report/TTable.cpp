#include "report/TTable.h"

#include "report/TAutomationError.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {
// Moves the text of a cell being merged away into the cell that stays; empty
// cells add nothing, as in the word processor.
void joinInto(TTableCell& target, TTableCell& source)
{
    if (source.empty())
        return;
    if (target.empty())
        target.paragraphs.clear();
    for (TParagraph& p : source.paragraphs)
        target.paragraphs.push_back(std::move(p));
    source.paragraphs.assign(1, TParagraph{});
}
} // namespace

TTable::TTable(int id, std::vector<Row> rows) : m_id(id), m_rows(std::move(rows))
{
    if (m_rows.empty() || std::any_of(m_rows.begin(), m_rows.end(), [](const Row& r) { return r.empty(); }))
        throw TAutomationError("Tables.Add");
}

int TTable::cellCount(int row) const
{
    checkRow(row);
    return static_cast<int>(m_rows[row - 1].size());
}

bool TTable::exists(int row, int column) const
{
    return row >= 1 && row <= rowCount() && column >= 1 && column <= static_cast<int>(m_rows[row - 1].size());
}

TTableCell& TTable::cell(int row, int column)
{
    return const_cast<TTableCell&>(std::as_const(*this).cell(row, column));
}

const TTableCell& TTable::cell(int row, int column) const
{
    if (!exists(row, column) || m_rows[row - 1][column - 1].vmerge == TVMerge::Continue)
        throw TAutomationError("Cell(" + std::to_string(row) + "," + std::to_string(column) + ")");
    return m_rows[row - 1][column - 1];
}

int TTable::topRow(int row, int column) const
{
    while (row > 1 && exists(row, column) && m_rows[row - 1][column - 1].vmerge == TVMerge::Continue)
        --row;
    return row;
}

int TTable::bottomRow(int row, int column) const
{
    while (exists(row + 1, column) && m_rows[row][column - 1].vmerge == TVMerge::Continue)
        ++row;
    return row;
}

void TTable::merge(int row1, int column1, int row2, int column2)
{
    cell(row1, column1);
    cell(row2, column2);
    if (row1 == row2) {
        const int first = std::min(column1, column2);
        const int last = std::max(column1, column2);
        Row& row = m_rows[row1 - 1];
        for (int c = first; c <= last; ++c)
            if (row[c - 1].vmerge != TVMerge::None)
                throw TAutomationError("Cell.Merge");
        for (int c = first + 1; c <= last; ++c) {
            row[first - 1].width += row[c - 1].width;
            joinInto(row[first - 1], row[c - 1]);
        }
        row.erase(row.begin() + first, row.begin() + last);
        return;
    }
    if (column1 != column2)
        throw TAutomationError("Cell.Merge");
    const int top = std::min(topRow(row1, column1), topRow(row2, column1));
    const int bottom = std::max(bottomRow(row1, column1), bottomRow(row2, column1));
    TTableCell& head = m_rows[top - 1][column1 - 1];
    for (int r = top + 1; r <= bottom; ++r) {
        TTableCell& below = m_rows[r - 1][column1 - 1];
        if (below.width != head.width)
            throw TAutomationError("Cell.Merge");
        joinInto(head, below);
        below.vmerge = TVMerge::Continue;
    }
    head.vmerge = TVMerge::Restart;
}

void TTable::appendRows(std::vector<Row> rows)
{
    insertRowsBefore(rowCount() + 1, std::move(rows));
}

void TTable::insertRowsBefore(int row, std::vector<Row> rows)
{
    if (row < 1 || row > rowCount() + 1)
        throw TAutomationError("Paste");
    m_rows.insert(m_rows.begin() + (row - 1), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
}

void TTable::deleteRow(int row)
{
    checkRow(row);
    if (rowCount() == 1)
        throw TAutomationError("Rows.Item.Delete");
    // A merged cell that began in the deleted row begins in the row below.
    for (size_t c = 0; c < m_rows[row - 1].size(); ++c) {
        if (m_rows[row - 1][c].vmerge == TVMerge::Restart && exists(row + 1, static_cast<int>(c) + 1)) {
            TTableCell& next = m_rows[row][c];
            if (next.vmerge == TVMerge::Continue) {
                next.paragraphs = std::move(m_rows[row - 1][c].paragraphs);
                next.vmerge = bottomRow(row + 1, static_cast<int>(c) + 1) > row + 1 ? TVMerge::Restart : TVMerge::None;
            }
        }
    }
    m_rows.erase(m_rows.begin() + (row - 1));
}

void TTable::deleteColumn(int column)
{
    checkColumn(column);
    if (columnCount() == 1)
        throw TAutomationError("Columns.Item.Delete");
    for (Row& row : m_rows)
        row.erase(row.begin() + (column - 1));
}

int TTable::columnCount() const
{
    size_t most = 0;
    for (const Row& row : m_rows)
        most = std::max(most, row.size());
    return static_cast<int>(most);
}

TTwips TTable::columnWidth(int column) const
{
    checkColumn(column);
    return m_rows.front()[column - 1].width;
}

void TTable::setColumnWidth(int column, TTwips width)
{
    checkColumn(column);
    for (Row& row : m_rows)
        row[column - 1].width = width;
}

void TTable::setAllWidths(TTwips width)
{
    for (Row& row : m_rows)
        for (TTableCell& c : row)
            c.width = width;
}

void TTable::setColumnShading(int column, int colour)
{
    checkColumn(column);
    for (Row& row : m_rows)
        row[column - 1].shading = colour;
}

void TTable::setRowShading(int row, int colour)
{
    checkRow(row);
    for (TTableCell& c : m_rows[row - 1])
        c.shading = colour;
}

void TTable::setRowBottom(int row, TLineStyle style)
{
    checkRow(row);
    for (TTableCell& c : m_rows[row - 1])
        c.bottom = style;
}

void TTable::setRowHeading(int row)
{
    checkRow(row);
    for (TTableCell& c : m_rows[row - 1])
        c.heading = true;
}

bool TTable::rowHeading(int row) const
{
    checkRow(row);
    const Row& cells = m_rows[row - 1];
    return std::any_of(cells.begin(), cells.end(), [](const TTableCell& c) { return c.heading; });
}

void TTable::setRowUnbroken(int row)
{
    checkRow(row);
    for (TTableCell& c : m_rows[row - 1])
        c.unbroken = true;
}

bool TTable::rowUnbroken(int row) const
{
    checkRow(row);
    const Row& cells = m_rows[row - 1];
    return std::any_of(cells.begin(), cells.end(), [](const TTableCell& c) { return c.unbroken; });
}

void TTable::checkRow(int row) const
{
    if (row < 1 || row > rowCount())
        throw TAutomationError("Rows.Item(" + std::to_string(row) + ")");
}

void TTable::checkColumn(int column) const
{
    for (const Row& row : m_rows)
        if (column < 1 || column > static_cast<int>(row.size()))
            throw TAutomationError("Columns.Item(" + std::to_string(column) + ")");
}
