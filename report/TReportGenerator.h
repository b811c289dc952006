#pragma once
// Writes the configuration report into a word processor document, section by
// section, through the document's automation operations. Any failure (an
// operation that cannot be carried out, a delay or duration code without a list
// entry) throws; what was written up to then stays in the document.

#include "report/TReportInput.h"
#include "report/TWordDocument.h"

#include <functional>
#include <string>

class TReportGenerator {
public:
    // advance is called once for every table block, to move the progress display.
    TReportGenerator(const TReportInput& input, TWordDocument& doc, std::function<void()> advance);

    void run();

private:
    enum class GridKind { Music = 0, Console = 1, Paging = 2 };

    void write(const std::string& text, int size, bool bold, TAlign align);
    void writeCell(TWordTable& table, int row, int column, const std::string& text, int size, bool bold, TAlign align);
    void mark(TWordTable& table, int row, int column);
    void setSingleBorders(TWordTable& table);

    void titleBlock();
    void generalSettings();
    void musicSection();
    void zoneSection(const std::string& heading, GridKind kind, int maskTable);
    void algorithmMap();
    void algorithmPart(int input);
    void stages(TWordTable& table, int input);

    TWordTable tableBlock(int unit, int valueColumns);
    void gridHeadingBand(GridKind kind, TWordTable& below);
    void stageHeadingBand(TWordTable& below);
    void moveAbove(TWordTable& band, TWordTable& below, int entryRow);

    const TReportInput& m_input;
    TImage m_image;
    TWordDocument& m_doc;
    std::function<void()> m_advance;
};
