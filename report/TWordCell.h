#pragma once
// A cell of a table of the word processor's document, as returned by Cell(r, c).

class TWordTableHost;

class TWordCell {
public:
    // Throws TAutomationError when the cell does not exist.
    TWordCell(TWordTableHost& doc, int tableId, int row, int column);

    int row() const { return m_row; }
    int column() const { return m_column; }
    void select();
    // Merges the rectangle from this cell to the other cell into this cell.
    void merge(const TWordCell& other);

private:
    TWordTableHost& m_doc;
    int m_tableId;
    int m_row;
    int m_column;
};
