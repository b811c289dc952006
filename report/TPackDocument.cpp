#include "report/TPackDocument.h"

#include "image/TAlarmLists.h"
#include "report/TTimelineLayout.h"

#include <algorithm>
#include <set>

namespace {
using Pack = TCommissioningPack;

// Background colours as the word processor numbers them (red + 256 green +
// 65536 blue).
constexpr int Grey = 0xE6E6E6;     // heading rows, every second unit
constexpr int Marked = 0xCCF2FF;   // a matrix cell that switches: light yellow
constexpr int Bar = 0x808080;      // a running stage
constexpr int OpenEnd = 0xC0C0C0;  // a stage without a limit, past the scale
constexpr int DelayBar = 0xD9D9D9; // the delay
constexpr TTwips CellPadding = 57; // 1 mm either side of a cell's text
constexpr int MatrixType = 7;
constexpr int TimelineType = 7;
constexpr TTwips TimelineLabel = 4200;
constexpr TTwips TickWidth = 700; // the least room for a tick's "00:30"

TParagraph para(const std::string& text, int size = 10, bool bold = false, TAlign align = TAlign::Left)
{
    TParagraph p;
    p.align = align;
    if (!text.empty())
        p.runs.push_back(TTextRun{text, size, bold, false, {}});
    return p;
}

TParagraph pageBreak()
{
    TParagraph p;
    p.runs.push_back(TTextRun{"", 10, false, true, {}});
    return p;
}

TTableCell cell(TTwips width, std::vector<TParagraph> paragraphs = {TParagraph{}})
{
    TTableCell c;
    c.width = width;
    c.paragraphs = std::move(paragraphs);
    if (c.paragraphs.empty())
        c.paragraphs.emplace_back();
    return c;
}

TTableCell textCell(TTwips width, const std::string& text, int size, bool bold = false, TAlign align = TAlign::Left)
{
    return cell(width, {para(text, size, bold, align)});
}

class Builder {
public:
    explicit Builder(const Pack& pack) : m_pack(pack) {}

    TDocument run()
    {
        titlePage();
        verification();
        findings();
        endSection(TPageSetup{});
        matrix();
        add(pageBreak());
        timelines();
        endSection(TPackDocument::landscape());
        zones();
        signatures();
        m_doc.footer = footer();
        return std::move(m_doc);
    }

private:
    void add(TParagraph p) { m_doc.body().push_back(std::move(p)); }
    void heading(const std::string& text)
    {
        TParagraph p = para(text, 12, true);
        p.keepWithNext = true;
        add(p);
        p.runs.clear();
        add(std::move(p));
    }
    TTable& table(std::vector<TTable::Row> rows)
    {
        TTable t(m_doc.newTableId(), std::move(rows));
        t.inside = TLineStyle::Single;
        t.outside = TLineStyle::Single;
        t.leftPadding = CellPadding;
        t.rightPadding = CellPadding;
        m_doc.body().push_back(std::move(t));
        return std::get<TTable>(m_doc.body().back());
    }
    // The section so far ends on this paragraph; the next begins on a new page.
    void endSection(const TPageSetup& page)
    {
        TParagraph p;
        p.sectionEnd = page;
        add(std::move(p));
    }

    void titlePage()
    {
        for (int i = 0; i < 6; ++i)
            add(para(""));
        add(para("Система речевого оповещения Zarna KT7", 14, true, TAlign::Centre));
        add(para(""));
        add(para(m_pack.title, 18, true, TAlign::Centre));
        add(para(""));
        add(para(m_pack.site, 14, false, TAlign::Centre));
        for (int i = 0; i < 4; ++i)
            add(para(""));
        std::vector<TTable::Row> rows;
        for (const Pack::Fact& f : m_pack.facts)
            rows.push_back({textCell(3000, f.label, 10), textCell(TextWidth - 3000, f.value, 10, true)});
        table(std::move(rows));
        add(pageBreak());
    }

    void verification()
    {
        heading("1. Сверка с контроллером");
        add(para(m_pack.verification));
        if (!m_pack.differences.empty()) {
            add(para(""));
            for (const std::string& line : m_pack.differences)
                add(para(line, 9));
        }
        if (!m_pack.backup.empty()) {
            add(para(""));
            add(para(m_pack.backup));
        }
        add(para(""));
    }

    void findings()
    {
        heading("2. Проверка конфигурации");
        if (m_pack.findings.empty()) {
            add(para(Pack::NoFindingsText));
            return;
        }
        const TTwips kind = 1700;
        const TTwips where = 2200;
        std::vector<TTable::Row> rows{{textCell(kind, "Вид", 9, true), textCell(where, "Где", 9, true),
                                       textCell(TextWidth - kind - where, "Замечание", 9, true)}};
        for (const Pack::Finding& f : m_pack.findings)
            rows.push_back({textCell(kind, f.error ? "Ошибка" : "Предупреждение", 9, f.error),
                            textCell(where, f.where, 9), textCell(TextWidth - kind - where, f.text, 9)});
        TTable& t = table(std::move(rows));
        t.setRowHeading(1);
        t.setRowShading(1, Grey);
    }

    void matrix()
    {
        heading("3. Матрица причин и следствий");
        add(para("Строки — включенные входы активации (алгоритмы оповещения), столбцы — выходы разветвителей "
                 "(зоны) и реле с их названиями. В ячейке — этапы алгоритма, которые включают зону или реле, с их "
                 "временем от срабатывания входа (мин:сек): «1: 00:30–01:30» — этап 1 с 00:30 до 01:30, «2: с "
                 "01:30» — этап 2 с 01:30 без ограничения времени. Пустая ячейка — вход не включает зону или "
                 "реле. Учтены только выполняемые этапы: этап после выключенного или неограниченного не "
                 "выполняется.",
                 9));
        if (m_pack.rows.empty()) {
            add(para(""));
            add(para("Включенных алгоритмов нет: матрица пуста."));
            return;
        }
        const auto parts = TPackDocument::matrixParts(m_pack.columns);
        for (size_t n = 0; n < parts.size(); ++n) {
            TParagraph caption = n == 0 ? para("") : pageBreak();
            const std::vector<size_t>& part = parts[n];
            const std::string& first = m_pack.columns[part.front()].unit;
            const std::string& last = m_pack.columns[part.back()].unit;
            caption.runs.push_back(TTextRun{"Часть " + std::to_string(n + 1) + " из " + std::to_string(parts.size())
                                                + ": " + first + (first == last ? "" : " — " + last),
                                            9,
                                            true,
                                            false,
                                            {}});
            caption.keepWithNext = true;
            add(std::move(caption));
            matrixPart(part);
        }
    }

    void matrixPart(const std::vector<size_t>& part)
    {
        const TTwips text = TPackDocument::landscape().textWidth();
        const TTwips width = (text - 2300) / TPackDocument::MatrixColumns;
        const TTwips head = text - width * TPackDocument::MatrixColumns;
        TTable::Row units{textCell(head, "Вход", MatrixType, true, TAlign::Centre)};
        units[0].vmerge = TVMerge::Restart;
        TTable::Row labels{cell(head)};
        labels[0].vmerge = TVMerge::Continue;
        for (size_t i = 0; i < part.size(); ++i) {
            const Pack::Column& c = m_pack.columns[part[i]];
            const bool shaded = c.unitIndex % 2 == 1;
            if (i == 0 || m_pack.columns[part[i - 1]].unitIndex != c.unitIndex) {
                units.push_back(textCell(width, c.unit, MatrixType, true, TAlign::Centre));
                if (shaded)
                    units.back().shading = Grey;
            } else {
                units.back().width += width;
            }
            std::vector<TParagraph> lines{para(c.label, MatrixType, true, TAlign::Centre)};
            if (!c.name.empty())
                lines.push_back(para(c.name, MatrixType, false, TAlign::Centre));
            labels.push_back(cell(width, std::move(lines)));
            if (shaded)
                labels.back().shading = Grey;
        }
        std::vector<TTable::Row> rows{std::move(units), std::move(labels)};
        for (const Pack::Row& r : m_pack.rows) {
            std::vector<TParagraph> headLines{para(r.head, MatrixType, true)};
            if (!r.name.empty())
                headLines.push_back(para(r.name, MatrixType));
            TTable::Row row{cell(head, std::move(headLines))};
            for (const size_t c : part) {
                std::vector<TParagraph> lines;
                for (const std::string& line : r.cells[c])
                    lines.push_back(para(line, MatrixType, false, TAlign::Centre));
                row.push_back(cell(width, std::move(lines)));
                if (!r.cells[c].empty())
                    row.back().shading = Marked;
            }
            rows.push_back(std::move(row));
        }
        TTable& t = table(std::move(rows));
        for (int r = 1; r <= t.rowCount(); ++r)
            t.setRowUnbroken(r);
        t.setRowHeading(1);
        t.setRowHeading(2);
    }

    // One row of the time scale: cells from slice to slice, cut at every
    // tick so the scale's lines run through, shaded where a bar lies.
    struct Span {
        int from = 0; // slices
        int to = 0;
        int shading = 0;
    };
    TTable::Row scaleRow(TTableCell label, const std::vector<Span>& spans) const
    {
        std::set<int> edges{0, m_slices};
        for (int at = 0; at < m_slices; at += m_tick)
            edges.insert(at);
        for (const Span& s : spans)
            edges.insert({s.from, s.to});
        TTable::Row row{std::move(label)};
        for (auto at = edges.begin(); std::next(at) != edges.end(); ++at) {
            const int from = *at;
            const int to = *std::next(at);
            row.push_back(cell(m_sliceWidth * (to - from)));
            for (const Span& s : spans)
                if (from >= s.from && to <= s.to && s.shading != 0)
                    row.back().shading = s.shading;
        }
        return row;
    }
    int sliceAt(int seconds) const { return std::min(m_scaleSlices, (seconds + m_slice / 2) / m_slice); }

    void timelines()
    {
        heading("4. Временные диаграммы алгоритмов");
        if (m_pack.timelines.empty()) {
            add(para("Включенных алгоритмов нет."));
            return;
        }
        add(para("Все алгоритмы на одной шкале времени от срабатывания входа (мин:сек): светлая полоса — задержка, "
                 "темная — время работы этапа; этап без ограничения времени продолжается за край шкалы. Точное "
                 "время этапа — в его строке.",
                 9));
        add(para(""));
        const int span = std::max<int>(static_cast<int>(TTimelineLayout::MinSpan), m_pack.timelineSpan);
        m_slice = TPackDocument::sliceSeconds(span);
        m_scaleSlices = (span + m_slice - 1) / m_slice;
        const bool open = std::any_of(m_pack.timelines.begin(), m_pack.timelines.end(), [](const Pack::Timeline& t) {
            return !t.plan.running.empty() && t.plan.running.back().unlimited();
        });
        m_slices = m_scaleSlices + (open ? std::max(2, m_scaleSlices / 8) : 0);
        const TTwips text = TPackDocument::landscape().textWidth();
        m_sliceWidth = (text - TimelineLabel) / m_slices;
        m_tick = 1;
        while (m_tick * m_sliceWidth < TickWidth)
            m_tick *= 2;

        const TTwips all = TimelineLabel + m_sliceWidth * m_slices;
        TTable::Row axis{textCell(TimelineLabel, "Время от срабатывания, мин:сек", TimelineType, true)};
        for (int at = 0; at < m_slices; at += m_tick) {
            const int slices = std::min(m_tick, m_slices - at);
            axis.push_back(textCell(m_sliceWidth * slices,
                                    at < m_scaleSlices || at == 0 ? TAlarmLists::minutesSeconds(at * m_slice) : "…",
                                    TimelineType));
        }
        std::vector<TTable::Row> rows{std::move(axis)};
        std::vector<int> inputRows;
        for (const Pack::Timeline& t : m_pack.timelines) {
            TTableCell head = textCell(all, t.head, 8, true);
            head.shading = Grey;
            head.paragraphs.front().keepWithNext = true;
            rows.push_back({std::move(head)});
            inputRows.push_back(static_cast<int>(rows.size()));
            const int delay = t.plan.delay == TAlarmPlan::Unknown ? 0 : t.plan.delay;
            const std::string delayText = t.plan.delay == TAlarmPlan::Unknown
                ? "вне списка (код " + std::to_string(t.plan.delayCode) + ")"
                : TAlarmLists::minutesSeconds(t.plan.delay);
            rows.push_back(scaleRow(textCell(TimelineLabel, "Задержка " + delayText, TimelineType),
                                    {{0, sliceAt(delay), DelayBar}}));
            int at = delay;
            for (const TAlarmPlan::Stage& s : t.plan.running) {
                const int from = std::min(sliceAt(at), m_slices - 1);
                std::vector<Span> spans;
                if (s.unlimited()) {
                    spans = {{from, m_scaleSlices, Bar}, {std::max(from, m_scaleSlices), m_slices, OpenEnd}};
                } else {
                    spans = {{from, std::max(from + 1, sliceAt(at + s.duration)), Bar}};
                    at += s.duration;
                }
                std::string label;
                for (const std::string& part : TTimelineLayout::stageLabel(s, m_pack.composition))
                    label += (label.empty() ? "" : "  ") + part;
                rows.push_back(scaleRow(textCell(TimelineLabel, label, TimelineType), spans));
            }
            if (const std::string idle = t.plan.idleText(); !idle.empty())
                rows.push_back({textCell(all, idle, TimelineType)});
        }
        TTable& table = this->table(std::move(rows));
        for (int r = 1; r <= table.rowCount(); ++r)
            table.setRowUnbroken(r);
        table.setRowHeading(1);
        table.setRowShading(1, Grey);
    }

    void zones()
    {
        heading("5. Зоны кнопок пульта диктора, групп пейджинга и фоновой музыки");
        if (m_pack.zones.empty()) {
            add(para("В системе нет пультов диктора, телефонного пейджинга и фоновой музыки."));
            add(para(""));
            return;
        }
        const TTwips head = 2600;
        std::vector<TTable::Row> rows{{textCell(head, "Кнопка, группа", 9, true),
                                       textCell(TextWidth - head, "Выходы разветвителей (зоны)", 9, true)}};
        for (const Pack::Zone& z : m_pack.zones) {
            std::vector<TParagraph> lines;
            for (const std::string& output : z.outputs)
                lines.push_back(para(output, 9));
            if (lines.empty())
                lines.push_back(para("—", 9));
            rows.push_back({textCell(head, z.head, 9, true), cell(TextWidth - head, std::move(lines))});
        }
        TTable& t = table(std::move(rows));
        t.setRowHeading(1);
        t.setRowShading(1, Grey);
        for (int r = 1; r <= t.rowCount(); ++r)
            t.setRowUnbroken(r);
        add(para(""));
    }

    void signatures()
    {
        heading("6. Подписи");
        const TTwips widths[] = {2700, 3000, 2000, TextWidth - 7700};
        std::vector<TTable::Row> rows{{textCell(widths[0], "", 10, true), textCell(widths[1], "ФИО", 10, true),
                                       textCell(widths[2], "Подпись", 10, true),
                                       textCell(widths[3], "Дата", 10, true)}};
        const std::pair<const char*, std::string> roles[]
            = {{"Наладчик", m_pack.engineer}, {"Представитель заказчика", {}}, {"Инспектор", {}}};
        for (const auto& [role, name] : roles)
            rows.push_back({cell(widths[0], {para(role, 10, true), para(""), para("")}),
                            cell(widths[1], {para(name), para(""), para("")}), cell(widths[2]), cell(widths[3])});
        // The block stays on one page: every row keeps with the one below.
        for (TTable::Row& row : rows)
            for (TTableCell& c : row)
                for (TParagraph& p : c.paragraphs)
                    p.keepWithNext = &row != &rows.back();
        TTable& t = table(std::move(rows));
        for (int r = 1; r <= t.rowCount(); ++r)
            t.setRowUnbroken(r);
    }

    TParagraph footer() const
    {
        TParagraph p;
        p.align = TAlign::Centre;
        const auto run = [&p](std::string text, std::string field = {}) {
            p.runs.push_back(TTextRun{std::move(text), 9, false, false, std::move(field)});
        };
        if (!m_pack.site.empty())
            run(m_pack.site + " · ");
        run("стр. ");
        run("1", "PAGE");
        run(" из ");
        run("1", "NUMPAGES");
        return p;
    }

    const Pack& m_pack;
    TDocument m_doc;
    int m_slice = 15;      // seconds per slice
    int m_scaleSlices = 0; // slices of limited time
    int m_slices = 0;      // and past them, for stages without a limit
    int m_tick = 1;        // slices from one tick to the next
    TTwips m_sliceWidth = 0;
};
} // namespace

TPageSetup TPackDocument::landscape()
{
    TPageSetup page;
    page.landscape = true;
    page.left = 851;
    page.right = 851;
    page.top = 851;
    page.bottom = 1134;
    return page;
}

std::vector<std::vector<size_t>> TPackDocument::matrixParts(const std::vector<TCommissioningPack::Column>& columns)
{
    std::vector<std::vector<size_t>> parts;
    size_t c = 0;
    while (c < columns.size()) {
        size_t unitEnd = c;
        while (unitEnd < columns.size() && columns[unitEnd].unitIndex == columns[c].unitIndex)
            ++unitEnd;
        if (parts.empty() || parts.back().size() + (unitEnd - c) > static_cast<size_t>(MatrixColumns))
            parts.emplace_back();
        for (; c < unitEnd; ++c)
            parts.back().push_back(c);
    }
    return parts;
}

int TPackDocument::sliceSeconds(int span)
{
    static constexpr int Slices[] = {15, 30, 60, 120, 300, 600, 900, 1800, 3600};
    for (const int s : Slices)
        if ((span + s - 1) / s <= TimeSlices)
            return s;
    return Slices[std::size(Slices) - 1];
}

TDocument TPackDocument::of(const TCommissioningPack& pack)
{
    return Builder(pack).run();
}
