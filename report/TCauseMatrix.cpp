#include "report/TCauseMatrix.h"

#include "image/TAlarmLists.h"
#include "report/TConfigDescriber.h"
#include "report/TReportSource.h"
#include "report/TReportTerms.h"

#include <algorithm>

namespace {
using Kind = TCauseMatrix::Kind;
using Node = TConfigFinding::Node;

bool switches(const TAlarmPlan::Stage& stage, const TCauseMatrix::Column& column)
{
    switch (column.kind) {
    case Kind::Output: return stage.outputs[static_cast<size_t>(Layout::outputBit(column.unit, column.index))];
    case Kind::Relay: return stage.relays[static_cast<size_t>(Layout::relayBit(column.unit, column.index))];
    case Kind::K1: return stage.k1;
    case Kind::K2: return stage.k2;
    }
    return false;
}

// Characters a terminal shows: UTF-8 lead bytes.
size_t shownWidth(const std::string& text)
{
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string padded(const std::string& text, size_t width)
{
    return text + std::string(width - std::min(width, shownWidth(text)), ' ');
}

std::string secondsOrNull(int seconds)
{
    return seconds == TAlarmPlan::Unknown ? "null" : std::to_string(seconds);
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : ", ") + p;
    return out;
}

// A table of heads and cells, its columns as wide as their widest text.
std::string aligned(const std::vector<std::vector<std::string>>& lines)
{
    std::vector<size_t> widths;
    for (const auto& line : lines)
        for (size_t c = 0; c < line.size(); ++c) {
            widths.resize(std::max(widths.size(), line.size()));
            widths[c] = std::max(widths[c], shownWidth(line[c]));
        }
    std::string out;
    for (const auto& line : lines) {
        std::string text;
        for (size_t c = 0; c < line.size(); ++c)
            text += (c == 0 ? "" : "  ") + padded(line[c], widths[c]);
        text.erase(text.find_last_not_of(' ') + 1);
        out += text + "\n";
    }
    return out;
}
} // namespace

std::string TCauseMatrix::columnName(Kind kind, int unit, int index)
{
    switch (kind) {
    case Kind::Output: return "LB" + std::to_string(unit) + " OUT" + std::to_string(index);
    case Kind::Relay: return TReportTerms::relayName(unit, index);
    case Kind::K1: return TReportTerms::relayName(0, 1);
    case Kind::K2: return TReportTerms::relayName(0, 2);
    }
    return {};
}

TCauseMatrix TCauseMatrix::of(const TImage& image, const Names& names, const TSiteNames& site)
{
    using namespace Layout;
    TCauseMatrix m;
    m.composition = TAlarmPlan::Composition::of(image);
    m.messages = site.messages;
    const auto add = [&m, &site](Kind kind, int unit, int index) {
        Column c;
        c.kind = kind;
        c.unit = unit;
        c.index = index;
        c.head = columnName(kind, unit, index);
        c.name = kind == Kind::Output ? site.zone(unit, index)
            : kind == Kind::Relay     ? site.relay(unit, index)
                                      : site.controllerRelay(index);
        m.columns.push_back(std::move(c));
    };
    for (int s = 1; s <= m.composition.splitters; ++s)
        for (int o = 1; o <= OutputsPerSplitter; ++o)
            add(Kind::Output, s, o);
    for (int r = 1; r <= m.composition.relayModules; ++r)
        for (int k = 1; k <= RelaysPerModule; ++k)
            add(Kind::Relay, r, k);
    add(Kind::K1, 0, 1);
    add(Kind::K2, 0, 2);

    for (const TAlarmPlan::Input& plan : TAlarmPlan::all(image)) {
        if (!plan.enabled)
            continue;
        Row row;
        row.plan = plan;
        row.head = TReportSource::caption(plan.number, names[static_cast<size_t>(plan.number - 1)]);
        row.head.erase(row.head.find_last_not_of(' ') + 1);
        row.cause = site.cause(plan.number);
        row.cells.resize(m.columns.size());
        for (size_t c = 0; c < m.columns.size(); ++c) {
            for (const TAlarmPlan::Stage& stage : plan.running)
                if (switches(stage, m.columns[c]))
                    row.cells[c].push_back(stage.number);
            row.switches = row.switches || !row.cells[c].empty();
            m.columns[c].used = m.columns[c].used || !row.cells[c].empty();
        }
        m.rows.push_back(std::move(row));
    }

    const auto zone = [&](Node node, int number, int mask) {
        ZoneRow row{node, number, TConfigFinding{{}, node, number, 0, {}, {}}.where(), {}};
        if (node == Node::Settings)
            row.head = TReportTerms::Music;
        for (const Column& c : m.columns)
            row.cells.push_back(c.kind == Kind::Output && image.bit(mask, outputBit(c.unit, c.index)));
        m.zones.push_back(std::move(row));
    };
    if (image.value(ConsoleCount.at(SystemNode)) > 0)
        for (int k = 1; k <= MaskCount; ++k)
            zone(Node::Button, k, buttonOffset(k));
    if (image.value(PagingFlag.at(SystemNode)) != 0)
        for (int g = 1; g <= MaskCount; ++g)
            zone(Node::Group, g, groupOffset(g));
    if (image.value(MusicFlag.at(SystemNode)) != 0)
        zone(Node::Settings, 0, MusicMask);
    return m;
}

std::string TCauseMatrix::cell(size_t row, size_t column) const
{
    std::string out;
    for (const int k : rows.at(row).cells.at(column))
        out += (out.empty() ? "" : ", ") + std::to_string(k);
    return out;
}

std::string TCauseMatrix::detail(size_t row, size_t column) const
{
    const Row& r = rows.at(row);
    const Column& c = columns.at(column);
    std::string out = r.head + " → " + c.named();
    if (r.plan.delay == TAlarmPlan::Unknown)
        out += "\n" + std::string(TReportTerms::Delay) + ": вне списка (код " + std::to_string(r.plan.delayCode) + ")";
    for (const int k : r.cells.at(column)) {
        const auto stage = std::find_if(r.plan.running.begin(), r.plan.running.end(),
                                        [k](const TAlarmPlan::Stage& s) { return s.number == k; });
        out += "\nЭтап " + std::to_string(k) + ": " + stage->span();
        if (c.kind == Kind::Output) {
            const std::string& name = messages.at(stage->messageCode);
            out += ", " + stage->message() + (name.empty() ? "" : " (" + name + ")");
        }
    }
    return out;
}

std::string TCauseMatrix::unusedColumns() const
{
    std::vector<std::string> heads;
    for (const Column& c : columns)
        if (!c.used)
            heads.push_back(c.head);
    return joined(heads);
}

std::string TCauseMatrix::idleRows() const
{
    std::vector<std::string> heads;
    for (const Row& r : rows)
        if (!r.switches)
            heads.push_back("IN-" + std::to_string(r.plan.number));
    return joined(heads);
}

std::string TCauseMatrix::text() const
{
    std::vector<std::vector<std::string>> lines(1, {Corner});
    for (const Column& c : columns)
        lines[0].push_back(c.head);
    for (size_t r = 0; r < rows.size(); ++r) {
        lines.push_back({TConfigDescriber::printable(rows[r].head)});
        for (size_t c = 0; c < columns.size(); ++c)
            lines.back().push_back(cell(r, c));
    }
    std::string out = aligned(lines);
    if (!zones.empty()) {
        // The outputs alone: zones switch no relays.
        const auto outputs = static_cast<size_t>(
            std::count_if(columns.begin(), columns.end(), [](const Column& c) { return c.kind == Kind::Output; }));
        lines.assign(1, {ZoneCorner});
        for (size_t c = 0; c < outputs; ++c)
            lines[0].push_back(columns[c].head);
        for (const ZoneRow& z : zones) {
            lines.push_back({z.head});
            for (size_t c = 0; c < outputs; ++c)
                lines.back().push_back(z.cells[c] ? ZoneMark : "");
        }
        out += "\n" + aligned(lines);
    }
    if (const std::string unused = unusedColumns(); !unused.empty())
        out += "\nНи один алгоритм не включает: " + unused + "\n";
    if (const std::string idle = idleRows(); !idle.empty())
        out += "Ничего не включают: " + idle + "\n";
    std::string named;
    for (const Column& c : columns)
        if (!c.name.empty())
            named += c.head + ": " + TConfigDescriber::printable(c.name) + "\n";
    if (!named.empty())
        out += "\nИмена зон и реле:\n" + named;
    return out;
}

std::string TCauseMatrix::csvField(const std::string& text)
{
    if (text.find_first_of(";\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string TCauseMatrix::csv() const
{
    std::string out = "\xEF\xBB\xBF";
    out += csvField(Corner);
    for (const Column& c : columns)
        out += ";" + csvField(c.named());
    out += "\r\n";
    for (size_t r = 0; r < rows.size(); ++r) {
        out += csvField(rows[r].head);
        for (size_t c = 0; c < columns.size(); ++c)
            out += ";" + csvField(cell(r, c));
        out += "\r\n";
    }
    return out;
}

std::string TCauseMatrix::json() const
{
    static const char* const kinds[] = {"output", "relay", "K1", "K2"};
    const auto str = [](const std::string& text) { return TConfigDescriber::jsonString(text); };
    std::string out = "{\"columns\": [";
    for (size_t c = 0; c < columns.size(); ++c) {
        const Column& col = columns[c];
        out += std::string(c == 0 ? "\n  " : ",\n  ") + "{\"head\": " + str(col.head) + ", \"kind\": \""
            + kinds[static_cast<int>(col.kind)] + "\"";
        if (col.kind == Kind::Output)
            out += ", \"splitter\": " + std::to_string(col.unit) + ", \"output\": " + std::to_string(col.index);
        else if (col.kind == Kind::Relay)
            out += ", \"module\": " + std::to_string(col.unit) + ", \"relay\": " + std::to_string(col.index);
        out += std::string(", \"used\": ") + (col.used ? "true" : "false");
        if (!col.name.empty())
            out += ", \"name\": " + str(col.name);
        out += "}";
    }
    out += columns.empty() ? "],\n\"inputs\": [" : "\n],\n\"inputs\": [";
    for (size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        const TAlarmPlan::Input& p = row.plan;
        out += std::string(r == 0 ? "\n  " : ",\n  ") + "{\"input\": " + std::to_string(p.number)
            + ", \"head\": " + str(row.head) + ", \"delay\": " + secondsOrNull(p.delay)
            + ", \"switches\": " + (row.switches ? "true" : "false") + ", \"stages\": [";
        for (size_t k = 0; k < p.running.size(); ++k) {
            const TAlarmPlan::Stage& s = p.running[k];
            out += std::string(k == 0 ? "" : ", ") + "{\"stage\": " + std::to_string(s.number)
                + ", \"start\": " + secondsOrNull(s.start) + ", \"end\": " + secondsOrNull(s.end())
                + ", \"unlimited\": " + (s.unlimited() ? "true" : "false") + ", \"time\": " + str(s.span())
                + ", \"source\": " + str(TReportTerms::messageSource(s.messageCode))
                + ", \"number\": " + std::to_string(s.messageCode % 8 + 1) + "}";
        }
        out += "], \"idle\": [";
        for (size_t k = 0; k < p.idle.size(); ++k)
            out += (k == 0 ? "" : ", ") + std::to_string(p.idle[k]);
        out += "], \"cells\": {";
        bool first = true;
        for (size_t c = 0; c < columns.size(); ++c) {
            if (row.cells[c].empty())
                continue;
            out += std::string(first ? "" : ", ") + str(columns[c].head) + ": [" + cell(r, c) + "]";
            first = false;
        }
        out += "}}";
    }
    out += rows.empty() ? "],\n\"zones\": [" : "\n],\n\"zones\": [";
    for (size_t z = 0; z < zones.size(); ++z) {
        std::vector<std::string> heads;
        for (size_t c = 0; c < columns.size(); ++c)
            if (zones[z].cells[c])
                heads.push_back(str(columns[c].head));
        out += std::string(z == 0 ? "\n  " : ",\n  ") + "{\"zone\": " + str(zones[z].head) + ", \"outputs\": ["
            + joined(heads) + "]}";
    }
    return out + (zones.empty() ? "]}\n" : "\n]}\n");
}
