#pragma once
// The word processor's document as the report drives it: one selection, which is
// an insertion point in a body paragraph or a table cell, or a whole table; the
// font and paragraph format of the selection; and the operations that write text,
// add tables and move the selection. Operations that cannot be carried out throw
// TAutomationError.

#include "report/TDocument.h"
#include "report/TWordTable.h"
#include "report/TWordTableHost.h"

#include <optional>
#include <string>
#include <vector>

class TWordDocument : public TWordTableHost {
public:
    // Selection.Font and Selection.ParagraphFormat: apply to the text inserted next
    // and to the paragraph at the insertion point.
    void setFontSize(int pt) { m_size = pt; }
    void setBold(bool bold) { m_bold = bold; }
    void setAlignment(TAlign align);

    // Selection.InsertAfter: "\n" ends the paragraph and starts a new one with the
    // same alignment. Selection.Collapse (to the end) then makes an insertion point.
    void insertAfter(const std::string& text);
    void collapse() { m_tableSelected = false; }

    // Tables.Add at the insertion point. A table added in the paragraph right below
    // another table joins it: the new rows are appended to that table, which is
    // the table returned. The insertion point goes into the first new cell.
    TWordTable tablesAdd(int rows, int columns);

    // Selection.MoveDown / MoveUp by lines; each table row counts as one line, a
    // merged cell as the rows it covers. The selection stops at either end.
    void moveDown(int count);
    void moveUp(int count);

    // Selection.Cut of a selected table, and Paste of it: in a table cell the rows
    // land above the row of that cell and join its table; in a paragraph the table
    // is put in front of it.
    void cut();
    void paste();

    // Selection.InsertBreak with break type 0, which the word processor does not
    // name; here it is a page break, so that the sections it opens start on a new page.
    void insertBreak();

    // Used by the table and cell handles.
    TTable& table(int id) override;
    void selectCell(int id, int row, int column) override;
    void selectTable(int id) override;

    const TDocument& document() const { return m_doc; }
    // Where the insertion point is: block index, and the cell (row 0 for a paragraph).
    int selectionBlock() const { return m_pos.block; }
    int selectionRow() const { return m_pos.row; }
    int selectionColumn() const { return m_pos.column; }

private:
    struct Position {
        int block = 0;
        int row = 0; // 0: the insertion point is in a body paragraph
        int column = 0;
    };

    int blockOf(int id) const;
    TParagraph& currentParagraph();
    // Puts rows in front of the paragraph at the insertion point, joining the table
    // directly above it; returns the block of the table that holds them.
    int placeRows(std::vector<TTable::Row> rows);
    Position cellPosition(int block, int row, int column) const;
    std::optional<Position> lineBelow(const Position& pos) const;
    std::optional<Position> lineAbove(const Position& pos) const;

    TDocument m_doc;
    Position m_pos;
    bool m_tableSelected = false;
    int m_size = 10;
    bool m_bold = false;
    std::vector<TTable::Row> m_clipboard;
};
