#pragma once
// What the table and cell handles need from the document that holds their
// tables: the table itself by identity, and the selection put on it.

class TTable;

class TWordTableHost {
public:
    virtual TTable& table(int id) = 0;
    virtual void selectCell(int id, int row, int column) = 0;
    virtual void selectTable(int id) = 0;

protected:
    ~TWordTableHost() = default;
};
