#pragma once
// A table of the word processor's document, as returned by Tables.Add. It refers
// to the table by identity, so it stays valid when blocks around it move.

#include "report/TTableCell.h"
#include "report/TWordCell.h"

class TWordTableHost;

class TWordTable {
public:
    TWordTable(TWordTableHost& doc, int id) : m_doc(doc), m_id(id) {}

    int id() const { return m_id; }
    void select();

    // Columns.Width, Columns.Item(i).Width, Columns.Count, Columns.Item(i).Delete.
    void setColumnsWidth(int pt);
    void setColumnWidth(int column, int pt);
    int columnWidth(int column) const;
    int columnsCount() const;
    void deleteColumn(int column);

    // Borders.InsideLineStyle and Borders.OutsideLineStyle.
    void setInsideLineStyle(TLineStyle style);
    void setOutsideLineStyle(TLineStyle style);

    // LeftPadding and RightPadding: the cell margins of the whole table.
    void setLeftPadding(int pt);
    void setRightPadding(int pt);

    // Rows.Count, Rows.Item(i).Delete, Rows.Item(i).Borders.Item(bottom).LineStyle.
    int rowsCount() const;
    void deleteRow(int row);
    void setRowBottomLineStyle(int row, TLineStyle style);
    // Rows.HeadingFormat: every row of the table is a heading row.
    void setRowsHeadingFormat();

    // Rows.Item(i) and Columns.Item(i) Shading.BackgroundPatternColor.
    void setRowShading(int row, int colour);
    void setColumnShading(int column, int colour);

    TWordCell cell(int row, int column);

private:
    TWordTableHost& m_doc;
    int m_id;
};
