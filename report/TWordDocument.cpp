#include "report/TWordDocument.h"

#include "report/TAutomationError.h"

#include <algorithm>

void TWordDocument::setAlignment(TAlign align)
{
    currentParagraph().align = align;
}

TParagraph& TWordDocument::currentParagraph()
{
    if (m_pos.row == 0)
        return *m_doc.paragraphAt(m_pos.block);
    return m_doc.tableAt(m_pos.block)->cell(m_pos.row, m_pos.column).paragraphs.back();
}

void TWordDocument::insertAfter(const std::string& text)
{
    if (m_tableSelected)
        throw TAutomationError("InsertAfter");
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\n', start);
        const std::string piece = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!piece.empty())
            currentParagraph().runs.push_back(TTextRun{piece, m_size, m_bold, false, {}});
        if (end == std::string::npos)
            break;
        TParagraph next;
        next.align = currentParagraph().align;
        if (m_pos.row == 0) {
            ++m_pos.block;
            m_doc.body().insert(m_doc.body().begin() + m_pos.block, std::move(next));
        } else {
            m_doc.tableAt(m_pos.block)->cell(m_pos.row, m_pos.column).paragraphs.push_back(std::move(next));
        }
        start = end + 1;
    }
}

void TWordDocument::insertBreak()
{
    if (m_tableSelected)
        throw TAutomationError("InsertBreak");
    currentParagraph().runs.push_back(TTextRun{"", m_size, m_bold, true, {}});
}

int TWordDocument::placeRows(std::vector<TTable::Row> rows)
{
    if (m_pos.row != 0)
        throw TAutomationError("Tables.Add");
    if (m_pos.block > 0) {
        if (TTable* above = m_doc.tableAt(m_pos.block - 1)) {
            above->appendRows(std::move(rows));
            return m_pos.block - 1;
        }
    }
    TTable table(m_doc.newTableId(), std::move(rows));
    // A table can only stand in front of an empty paragraph; text before the
    // insertion point stays above the table.
    if (!currentParagraph().empty()) {
        TParagraph rest;
        rest.align = currentParagraph().align;
        m_doc.body().insert(m_doc.body().begin() + m_pos.block + 1, std::move(rest));
        ++m_pos.block;
    }
    m_doc.body().insert(m_doc.body().begin() + m_pos.block, std::move(table));
    return m_pos.block++;
}

TWordTable TWordDocument::tablesAdd(int rows, int columns)
{
    if (rows < 1 || columns < 1)
        throw TAutomationError("Tables.Add");
    const int block
        = placeRows(std::vector<TTable::Row>(static_cast<size_t>(rows), TTable::Row(static_cast<size_t>(columns))));
    TTable& table = *m_doc.tableAt(block);
    for (int r = table.rowCount() - rows + 1; r <= table.rowCount(); ++r)
        for (int c = 1; c <= table.cellCount(r); ++c)
            table.cell(r, c).width = TextWidth / columns;
    m_pos = Position{block, table.rowCount() - rows + 1, 1};
    return TWordTable(*this, table.id());
}

TWordDocument::Position TWordDocument::cellPosition(int block, int row, int column) const
{
    const TTable& table = *m_doc.tableAt(block);
    const int c = std::min(column, table.cellCount(row));
    return Position{block, table.topRow(row, c), c};
}

std::optional<TWordDocument::Position> TWordDocument::lineBelow(const Position& pos) const
{
    if (pos.row != 0) {
        const TTable& table = *m_doc.tableAt(pos.block);
        const int bottom = table.bottomRow(pos.row, pos.column);
        if (bottom < table.rowCount())
            return cellPosition(pos.block, bottom + 1, pos.column);
    }
    const int next = pos.block + 1;
    if (next >= m_doc.blockCount())
        return std::nullopt;
    if (m_doc.tableAt(next))
        return cellPosition(next, 1, std::max(pos.column, 1));
    return Position{next, 0, 0};
}

std::optional<TWordDocument::Position> TWordDocument::lineAbove(const Position& pos) const
{
    if (pos.row != 0) {
        const TTable& table = *m_doc.tableAt(pos.block);
        const int top = table.topRow(pos.row, pos.column);
        if (top > 1)
            return cellPosition(pos.block, top - 1, pos.column);
    }
    const int previous = pos.block - 1;
    if (previous < 0)
        return std::nullopt;
    if (const TTable* table = m_doc.tableAt(previous))
        return cellPosition(previous, table->rowCount(), std::max(pos.column, 1));
    return Position{previous, 0, 0};
}

void TWordDocument::moveDown(int count)
{
    m_tableSelected = false;
    for (int i = 0; i < count; ++i) {
        const auto below = lineBelow(m_pos);
        if (!below)
            break;
        m_pos = *below;
    }
}

void TWordDocument::moveUp(int count)
{
    m_tableSelected = false;
    for (int i = 0; i < count; ++i) {
        const auto above = lineAbove(m_pos);
        if (!above)
            break;
        m_pos = *above;
    }
}

void TWordDocument::cut()
{
    if (!m_tableSelected)
        throw TAutomationError("Cut");
    m_clipboard = m_doc.tableAt(m_pos.block)->takeRows();
    m_doc.body().erase(m_doc.body().begin() + m_pos.block);
    m_tableSelected = false;
    // The paragraph that followed the table takes the insertion point.
    m_pos = m_doc.tableAt(m_pos.block) ? cellPosition(m_pos.block, 1, 1) : Position{m_pos.block, 0, 0};
}

void TWordDocument::paste()
{
    if (m_clipboard.empty() || m_tableSelected)
        throw TAutomationError("Paste");
    const int count = static_cast<int>(m_clipboard.size());
    if (m_pos.row == 0) {
        placeRows(m_clipboard);
        return;
    }
    TTable& table = *m_doc.tableAt(m_pos.block);
    const int top = table.topRow(m_pos.row, m_pos.column);
    table.insertRowsBefore(top, m_clipboard);
    m_pos = cellPosition(m_pos.block, top + count, m_pos.column);
}

int TWordDocument::blockOf(int id) const
{
    for (int b = 0; b < m_doc.blockCount(); ++b)
        if (const TTable* t = m_doc.tableAt(b); t && t->id() == id)
            return b;
    throw TAutomationError("Table");
}

TTable& TWordDocument::table(int id)
{
    return *m_doc.tableAt(blockOf(id));
}

void TWordDocument::selectCell(int id, int row, int column)
{
    const int block = blockOf(id);
    m_doc.tableAt(block)->cell(row, column);
    m_pos = Position{block, row, column};
    m_tableSelected = false;
}

void TWordDocument::selectTable(int id)
{
    m_pos = Position{blockOf(id), 1, 1};
    m_tableSelected = true;
}
