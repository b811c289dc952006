#include "report/TWordTable.h"

#include "report/TTable.h"
#include "report/TWordTableHost.h"

void TWordTable::select()
{
    m_doc.selectTable(m_id);
}

void TWordTable::setColumnsWidth(int pt)
{
    m_doc.table(m_id).setAllWidths(points(pt));
}
void TWordTable::setColumnWidth(int column, int pt)
{
    m_doc.table(m_id).setColumnWidth(column, points(pt));
}
int TWordTable::columnWidth(int column) const
{
    return m_doc.table(m_id).columnWidth(column) / TwipsPerPoint;
}
int TWordTable::columnsCount() const
{
    return m_doc.table(m_id).columnCount();
}
void TWordTable::deleteColumn(int column)
{
    m_doc.table(m_id).deleteColumn(column);
}

void TWordTable::setInsideLineStyle(TLineStyle style)
{
    m_doc.table(m_id).inside = style;
}
void TWordTable::setOutsideLineStyle(TLineStyle style)
{
    m_doc.table(m_id).outside = style;
}
void TWordTable::setLeftPadding(int pt)
{
    m_doc.table(m_id).leftPadding = points(pt);
}
void TWordTable::setRightPadding(int pt)
{
    m_doc.table(m_id).rightPadding = points(pt);
}

int TWordTable::rowsCount() const
{
    return m_doc.table(m_id).rowCount();
}
void TWordTable::deleteRow(int row)
{
    m_doc.table(m_id).deleteRow(row);
}
void TWordTable::setRowBottomLineStyle(int row, TLineStyle style)
{
    m_doc.table(m_id).setRowBottom(row, style);
}
void TWordTable::setRowsHeadingFormat()
{
    TTable& table = m_doc.table(m_id);
    for (int row = 1; row <= table.rowCount(); ++row)
        table.setRowHeading(row);
}

void TWordTable::setRowShading(int row, int colour)
{
    m_doc.table(m_id).setRowShading(row, colour);
}
void TWordTable::setColumnShading(int column, int colour)
{
    m_doc.table(m_id).setColumnShading(column, colour);
}

TWordCell TWordTable::cell(int row, int column)
{
    return TWordCell(m_doc, m_id, row, column);
}
