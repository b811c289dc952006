#include "report/TReportGenerator.h"

#include "image/TAlarmLists.h"
#include "image/TAlarmRecord.h"
#include "report/TReportTerms.h"

namespace {
constexpr int LightGrey = 15132390; // red, green and blue 230 each

constexpr int BlockRows = 4;
constexpr int GridValueColumns = 12;
constexpr int StageValueColumns = 5;
constexpr int LastRelayModuleUnit = 18;
constexpr int ControllerRelayRows = 2; // K1 and K2; K3 and K4 of its block are removed
constexpr int FirstControllerRelayRow = 49;

// Rows of the algorithm table once the stage heading band is above it.
constexpr int DurationRow = 3;
constexpr int SourceRow = 4;
constexpr int NumberRow = 5;
constexpr int StageBandRows = 5;
constexpr int FirstOutputRow = 6;
constexpr int K1Row = 54;
constexpr int K2Row = 55;
constexpr int FirstRelayRow = 56;

// Rows of the grid tables once the grid heading band is above them.
constexpr int GridBandRows = 2;
// Left and right cell margin of the grid tables, in points.
constexpr int GridPadding = 2;

std::string n(int value)
{
    return std::to_string(value);
}
} // namespace

TReportGenerator::TReportGenerator(const TReportInput& input, TWordDocument& doc, std::function<void()> advance)
    : m_input(input), m_image(input.image), m_doc(doc), m_advance(std::move(advance))
{
}

void TReportGenerator::run()
{
    titleBlock();
    generalSettings();
    if (m_input.music)
        musicSection();
    if (m_input.consoleIndex >= 1)
        zoneSection("\nЗоны (группы зон) трансляции пульта диктора Zarna KT7-PQ.\n\n", GridKind::Console,
                    Layout::ButtonTable);
    if (m_input.phonePaging)
        zoneSection("\nЛогические группы телефонного аудио пейджинга\n\n", GridKind::Paging, Layout::GroupTable);
    algorithmMap();
}

void TReportGenerator::write(const std::string& text, int size, bool bold, TAlign align)
{
    m_doc.setFontSize(size);
    m_doc.setBold(bold);
    m_doc.setAlignment(align);
    m_doc.insertAfter(text);
    m_doc.collapse();
}

void TReportGenerator::writeCell(TWordTable& table, int row, int column, const std::string& text, int size, bool bold,
                                 TAlign align)
{
    table.cell(row, column).select();
    write(text, size, bold, align);
}

void TReportGenerator::mark(TWordTable& table, int row, int column)
{
    writeCell(table, row, column, "X", 8, true, TAlign::Centre);
}

void TReportGenerator::setSingleBorders(TWordTable& table)
{
    table.setInsideLineStyle(TLineStyle::Single);
    table.setOutsideLineStyle(TLineStyle::Single);
}

void TReportGenerator::titleBlock()
{
    // The first letter of the title is a Latin C; the rest is Cyrillic.
    write("C"
          "истемы оповещения ZARNA KT7\n\n",
          14, true, TAlign::Centre);
    write("Имя проекта конфигурации -\t" + m_input.projectName + "\n", 10, false, TAlign::Left);
    write("Время генерации отчета -\t" + m_input.dateTime + "\n\n", 10, false, TAlign::Left);
}

void TReportGenerator::generalSettings()
{
    write("Общие настройки.\n\n", 12, true, TAlign::Centre);
    write("Конфигурация системы.\n\n", 10, true, TAlign::Left);

    TWordTable composition = m_doc.tablesAdd(4, 2);
    composition.setColumnWidth(2, 40);
    setSingleBorders(composition);
    const std::pair<const char*, const std::string*> rows[] = {
        {TReportTerms::SplitterCount, &m_input.splitterCount},
        {TReportTerms::ConsoleCount, &m_input.consoleCount},
        {TReportTerms::MessageModuleCount, &m_input.messageModuleCount},
        {TReportTerms::RelayModuleCount, &m_input.relayModuleCount},
    };
    for (int r = 1; r <= 4; ++r) {
        writeCell(composition, r, 1, rows[r - 1].first, 10, false, TAlign::Left);
        writeCell(composition, r, 2, *rows[r - 1].second, 10, true, TAlign::Centre);
    }
    m_doc.moveDown(composition.rowsCount());

    write("\n\nФункциональные настройки\n\n", 10, true, TAlign::Left);
    TWordTable functions = m_doc.tablesAdd(2, 2);
    functions.setColumnWidth(2, 40);
    setSingleBorders(functions);
    writeCell(functions, 1, 1, TReportTerms::PhonePaging, 10, false, TAlign::Left);
    writeCell(functions, 2, 1, TReportTerms::Music, 10, false, TAlign::Left);
    writeCell(functions, 1, 2, m_input.phonePaging ? TReportTerms::Present : TReportTerms::Absent, 10, true,
              TAlign::Centre);
    writeCell(functions, 2, 2, m_input.music ? TReportTerms::Present : TReportTerms::Absent, 10, true, TAlign::Centre);
    m_doc.moveDown(functions.rowsCount());
}

TWordTable TReportGenerator::tableBlock(int unit, int valueColumns)
{
    m_advance();
    m_doc.setFontSize(8);
    TWordTable table = m_doc.tablesAdd(BlockRows, valueColumns + 2);
    table.setColumnsWidth(valueColumns == StageValueColumns ? 56 : 28);
    table.setColumnWidth(1, 56);
    table.setColumnWidth(2, 56);
    setSingleBorders(table);
    const int first = BlockRows * unit + 1;
    writeCell(table, first, 1, TReportTerms::unitLabel(unit), 8, true, TAlign::Centre);
    for (int i = 1; i <= BlockRows; ++i)
        writeCell(table, first + i - 1, 2, TReportTerms::rowLabel(unit, i), 8, true, TAlign::Centre);
    m_doc.moveDown(table.rowsCount());
    return table;
}

void TReportGenerator::moveAbove(TWordTable& band, TWordTable& below, int entryRow)
{
    // The band's rows head the table on every page it continues on.
    band.setRowsHeadingFormat();
    band.select();
    m_doc.cut();
    below.cell(entryRow, 1).select();
    m_doc.moveUp(1);
    m_doc.paste();
}

void TReportGenerator::gridHeadingBand(GridKind kind, TWordTable& below)
{
    TWordTable band = m_doc.tablesAdd(2, 13);
    band.setColumnsWidth(below.columnWidth(3));
    band.setColumnWidth(1,
                        kind == GridKind::Music ? below.columnWidth(1) : below.columnWidth(1) + below.columnWidth(2));
    setSingleBorders(band);
    band.setRowBottomLineStyle(2, TLineStyle::Double);
    writeCell(band, 1, 1, "Выходы\nразветвителя", 8, false, TAlign::Centre);
    for (int j = 2; j <= 13; ++j) {
        const std::string label = kind == GridKind::Paging ? n(Layout::GroupCodeBase + j - 1) : "№" + n(j - 1);
        writeCell(band, 2, j, label, 8, true, TAlign::Centre);
    }
    band.cell(1, 1).merge(band.cell(2, 1));
    band.cell(1, 2).merge(band.cell(1, 13));
    static const char* const titles[] = {
        "Номера разветвителей Zarna KT7-LB",
        "Номера кнопок выбора зон (группы зон) трансляции",
        "Коды доступа к логическим группам зон",
    };
    writeCell(band, 1, 2, titles[static_cast<int>(kind)], 8, false, TAlign::Centre);
    moveAbove(band, below, 2);
    // The word processor's default margins (5.4 pt each side) leave some
    // 17 pt of a 28 pt column for text, where "№10" may break into two lines,
    // and may break "разветвителя" in the music table's first column; the
    // whole grid, headings included, takes narrower margins.
    below.setLeftPadding(GridPadding);
    below.setRightPadding(GridPadding);
}

void TReportGenerator::stageHeadingBand(TWordTable& below)
{
    TWordTable band = m_doc.tablesAdd(StageBandRows, 6);
    band.setColumnsWidth(56);
    band.setColumnWidth(1, 112);
    setSingleBorders(band);
    band.setRowBottomLineStyle(StageBandRows, TLineStyle::Double);
    for (int j = 2; j <= 6; ++j)
        writeCell(band, 2, j, n(j - 1), 8, true, TAlign::Centre);
    writeCell(band, DurationRow, 1, TReportTerms::Duration, 8, true, TAlign::Centre);
    writeCell(band, SourceRow, 1, TReportTerms::Source, 8, true, TAlign::Centre);
    writeCell(band, NumberRow, 1, TReportTerms::Number, 8, true, TAlign::Centre);
    band.cell(1, 2).merge(band.cell(1, 6));
    writeCell(band, 1, 2, "Номера этапа", 8, true, TAlign::Centre);
    band.cell(1, 1).merge(band.cell(2, 1));
    moveAbove(band, below, StageBandRows);
}

void TReportGenerator::musicSection()
{
    write("\n\nВыходы задействованные в трансляции фоновой музыки\n\n", 10, true, TAlign::Left);
    TWordTable table = tableBlock(0, GridValueColumns);
    table.deleteColumn(1);
    m_doc.moveDown(table.rowsCount());
    write("\n", 8, false, TAlign::Left);
    gridHeadingBand(GridKind::Music, table);
    for (int s = 1; s <= Layout::Splitters; ++s)
        for (int o = 1; o <= Layout::OutputsPerSplitter; ++o)
            if (m_input.musicOutputs[Layout::outputBit(s, o)])
                mark(table, o + GridBandRows, s + 1);
    m_doc.moveDown(table.rowsCount());
}

void TReportGenerator::zoneSection(const std::string& heading, GridKind kind, int maskTable)
{
    m_doc.insertBreak();
    write(heading, 10, true, TAlign::Left);
    TWordTable table = tableBlock(0, GridValueColumns);
    for (int k = 1; k < Layout::Splitters; ++k) {
        tableBlock(k, GridValueColumns);
        if (k % 2 == 1)
            for (int r = table.rowsCount() - BlockRows + 1; r <= table.rowsCount(); ++r)
                table.setRowShading(r, LightGrey);
    }
    write("\n", 8, false, TAlign::Left);
    gridHeadingBand(kind, table);
    for (int s = 1; s <= Layout::Splitters; ++s) {
        const int top = BlockRows * (s - 1) + GridBandRows + 1;
        for (int r = top + 1; r < top + BlockRows; ++r)
            table.cell(top, 1).merge(table.cell(r, 1));
    }
    for (int b = 1; b <= Layout::MaskCount; ++b)
        for (int bit = 0; bit < Layout::OutputBits; ++bit)
            if (m_image.bit(maskTable + Layout::MaskSize * (b - 1), bit))
                mark(table, bit + GridBandRows + 1, b + 2);
    m_doc.moveDown(table.rowsCount());
}

void TReportGenerator::algorithmMap()
{
    bool any = false;
    for (int i = 1; i <= Layout::InputCount; ++i)
        any = any || TAlarmRecord(m_image, i).enabled();
    if (!any)
        return;
    m_doc.insertBreak();
    write("\nКарта программирования алгоритмов оповещения.\n\n", 12, true, TAlign::Left);
    for (int i = 1; i <= Layout::InputCount; ++i)
        if (TAlarmRecord(m_image, i).enabled())
            algorithmPart(i);
}

void TReportGenerator::algorithmPart(int input)
{
    const TAlarmRecord record(m_image, input);
    write("Вход активации алгоритма -\t" + m_input.inputCaptions[input - 1] + "\n", 10, true, TAlign::Left);
    write(std::string(TReportTerms::Delay) + " -\t" + TAlarmLists::delayEntry(record.delayCode()) + "\n\n", 10, true,
          TAlign::Left);

    TWordTable table = tableBlock(0, StageValueColumns);
    for (int k = 0; k <= LastRelayModuleUnit; ++k) {
        if (k > 0)
            tableBlock(k, StageValueColumns);
        for (int column : {3, 5, 7})
            table.setColumnShading(column, LightGrey);
    }
    const int removedRow = FirstControllerRelayRow + ControllerRelayRows;
    table.deleteRow(removedRow);
    table.deleteRow(removedRow);

    for (int s = 1; s <= Layout::Splitters; ++s) {
        const int top = BlockRows * (s - 1) + 1;
        for (int r = top + 1; r < top + BlockRows; ++r)
            table.cell(top, 1).merge(table.cell(r, 1));
    }
    table.cell(FirstControllerRelayRow, 1).merge(table.cell(FirstControllerRelayRow + 1, 1));
    for (int m = 1; m <= Layout::RelayModules; ++m) {
        const int top = FirstControllerRelayRow + ControllerRelayRows + BlockRows * (m - 1);
        for (int r = top + 1; r < top + BlockRows; ++r)
            table.cell(top, 1).merge(table.cell(r, 1));
    }
    write("\n", 8, false, TAlign::Left);
    stageHeadingBand(table);
    stages(table, input);
    m_doc.moveDown(table.rowsCount());
    write("\n", 10, true, TAlign::Left);
}

void TReportGenerator::stages(TWordTable& table, int input)
{
    const TAlarmRecord record(m_image, input);
    for (int k = 1; k <= Layout::StageCount; ++k) {
        const TStageRecord stage = record.stage(k);
        if (!stage.isOn())
            continue;
        // 255 shows the last entry; 241 is that entry too; 242..254 have none.
        const int entry
            = stage.duration() == TStageRecord::DurationUnlimited ? TAlarmLists::UnlimitedEntry : stage.duration();
        writeCell(table, DurationRow, k + 1, TAlarmLists::durationEntry(entry), 8, true, TAlign::Centre);
        writeCell(table, SourceRow, k + 1, TReportTerms::messageSource(stage.messageCode()), 8, true, TAlign::Centre);
        writeCell(table, NumberRow, k + 1, n(stage.messageNumber()), 8, true, TAlign::Centre);
        for (int bit = 0; bit < Layout::OutputBits; ++bit)
            if (stage.outputBit(bit))
                mark(table, bit + FirstOutputRow, k + 2);
        if (stage.k1())
            mark(table, K1Row, k + 2);
        if (stage.k2())
            mark(table, K2Row, k + 2);
        for (int bit = 0; bit < Layout::RelayBits; ++bit)
            if (stage.relayBit(bit))
                mark(table, bit + FirstRelayRow, k + 2);
    }
}
