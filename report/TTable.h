#pragma once
// A table of the document model: rows of cells addressed (row, column) from 1,
// the way the word processor addresses them. A row keeps one entry per cell,
// so a cell merged across columns counts once and a cell merged down keeps a
// continuation entry in every row it covers.

#include "report/TTableCell.h"

#include <optional>
#include <vector>

class TTable {
public:
    using Row = std::vector<TTableCell>;

    // Throws TAutomationError for a table without rows or cells.
    TTable(int id, std::vector<Row> rows);

    int id() const { return m_id; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int cellCount(int row) const;
    const std::vector<Row>& rows() const { return m_rows; }

    // Throws TAutomationError for a cell that does not exist or is the
    // continuation of a cell merged from above.
    TTableCell& cell(int row, int column);
    const TTableCell& cell(int row, int column) const;
    bool exists(int row, int column) const;
    // Top and bottom row of the (possibly merged) cell that covers (row, column).
    int topRow(int row, int column) const;
    int bottomRow(int row, int column) const;

    // Merges the rectangle spanned by two cells into one; their texts are joined.
    void merge(int row1, int column1, int row2, int column2);

    void appendRows(std::vector<Row> rows);
    void insertRowsBefore(int row, std::vector<Row> rows);
    std::vector<Row> takeRows() { return std::move(m_rows); }
    void deleteRow(int row);
    void deleteColumn(int column);

    int columnCount() const;
    TTwips columnWidth(int column) const;
    void setColumnWidth(int column, TTwips width);
    void setAllWidths(TTwips width);
    void setColumnShading(int column, int colour);
    void setRowShading(int row, int colour);
    void setRowBottom(int row, TLineStyle style);
    void setRowHeading(int row);
    bool rowHeading(int row) const;
    void setRowUnbroken(int row);
    bool rowUnbroken(int row) const;

    TLineStyle inside = TLineStyle::None;
    TLineStyle outside = TLineStyle::None;
    // Space between a cell's left or right edge and its text, in every cell;
    // the word processor's own default when unset.
    std::optional<TTwips> leftPadding;
    std::optional<TTwips> rightPadding;

private:
    void checkRow(int row) const;
    // Every row must have the cell; columns of mixed tables cannot be addressed.
    void checkColumn(int column) const;

    int m_id;
    std::vector<Row> m_rows;
};
