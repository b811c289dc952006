#include "report/TWordCell.h"

#include "report/TTable.h"
#include "report/TWordTableHost.h"

TWordCell::TWordCell(TWordTableHost& doc, int tableId, int row, int column)
    : m_doc(doc), m_tableId(tableId), m_row(row), m_column(column)
{
    m_doc.table(m_tableId).cell(row, column);
}

void TWordCell::select()
{
    m_doc.selectCell(m_tableId, m_row, m_column);
}

void TWordCell::merge(const TWordCell& other)
{
    m_doc.table(m_tableId).merge(m_row, m_column, other.m_row, other.m_column);
}
