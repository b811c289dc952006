#pragma once
// A .docx read back for checking: body paragraphs and tables as the file holds them.

#include <QString>
#include <QStringList>
#include <vector>

struct DocxCell {
    QStringList paragraphs;
    int span = 1;
    QString vmerge; // "", "restart" or "continue"
    QString fill;
    QString bottom;
    QString text() const { return paragraphs.join(QLatin1Char('\n')); }
};

struct DocxParagraph {
    QString text;       // tabs as '\t', a page break as '\f'
    int halfPoints = 0; // size of the first run
    bool bold = false;
    QString jc;
};

struct DocxTable {
    std::vector<std::vector<DocxCell>> rows;
    std::vector<int> grid;
    // Rows, from 1, marked as heading rows repeated on every page.
    std::vector<int> headingRows;
    // Left and right cell margins of the whole table in twips; -1 when unset.
    int leftMargin = -1;
    int rightMargin = -1;
    // Cell (row, column) from 1, as the word processor counts them.
    const DocxCell& cell(int row, int column) const { return rows.at(row - 1).at(column - 1); }
    int countMarks() const;
};

// The page of a section and how many body tables lie before its end.
struct DocxSection {
    bool landscape = false;
    int width = 0; // twips
    int height = 0;
    int tablesBefore = 0;
};

class DocxContent {
public:
    // Reads word/document.xml out of the package; fails the test when it cannot.
    static DocxContent load(const QString& path);
    static DocxContent parse(const QByteArray& documentXml);

    std::vector<DocxParagraph> paragraphs; // body paragraphs only
    std::vector<DocxTable> tables;
    QString order; // 'p' and 't' for each body block
    std::vector<DocxSection> sections;
    // The footer's text (a field by its last result) and the fields'
    // instructions, when the package has a footer.
    QString footerText;
    QStringList footerFields;
    QString bodyText() const;
    // The section that holds body table t (from 0).
    const DocxSection& sectionOfTable(int t) const;
};
