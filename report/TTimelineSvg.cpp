#include "report/TTimelineSvg.h"

#include "report/TTimelineLayout.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr double HeadHeight = 20;
constexpr double Gap = 12;
constexpr double PartGap = 10; // between the parts of a label, as two blanks

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// A line of text; its blanks are kept as written (a name may hold several).
std::string text(double x, double y, const std::string& body, const char* cls, const char* anchor = nullptr)
{
    return "<text class=\"" + std::string(cls) + "\" x=\"" + number(x) + "\" y=\"" + number(y) + "\""
        + (anchor ? " text-anchor=\"" + std::string(anchor) + "\"" : "") + " xml:space=\"preserve\">"
        + TTimelineSvg::escaped(body) + "</text>\n";
}

// A label of several parts, each a tspan set off from the one before by a
// gap no renderer collapses.
std::string label(double x, double y, const std::vector<std::string>& parts)
{
    std::string out = "<text class=\"label\" x=\"" + number(x) + "\" y=\"" + number(y) + "\" xml:space=\"preserve\">";
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i == 0 ? std::string("<tspan>") : "<tspan dx=\"" + number(PartGap) + "\">")
            + TTimelineSvg::escaped(parts[i]) + "</tspan>";
    return out + "</text>\n";
}

std::string bar(const TTimelineLayout::Bar& b, double top)
{
    const bool delay = b.stage == TTimelineLayout::DelayRow;
    std::string style;
    if (b.unknown)
        style = delay ? "" : "fill: none; stroke-dasharray: 4 2";
    else if (b.open)
        style = "fill: url(#open); stroke: none";
    return std::string("<rect class=\"")
        + (delay ? "delay\"" : "stage\" data-stage=\"" + std::to_string(b.stage) + "\"")
        + (b.open ? " data-unlimited=\"true\"" : "") + (b.unknown ? " data-start=\"unknown\"" : "") + " x=\""
        + number(b.x) + "\" y=\"" + number(top + b.y) + "\" width=\"" + number(b.width) + "\" height=\""
        + number(b.height) + "\"" + (style.empty() ? "" : " style=\"" + style + "\"") + "/>\n";
}
} // namespace

std::string TTimelineSvg::escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // Control characters have no place in XML 1.0; a name may carry them.
            if (u >= 0x20 || c == '\t')
                out += c;
        }
    }
    return out;
}

std::string TTimelineSvg::document(const std::vector<TAlarmPlan::Input>& plans, const std::vector<std::string>& heads,
                                   const TAlarmPlan::Composition& composition)
{
    const TTimelineLayout::Scale scale = TTimelineLayout::Scale::of(plans, Width);
    std::string body;
    double y = TTimelineLayout::Margin;
    for (size_t i = 0; i < plans.size(); ++i) {
        const TTimelineLayout t = TTimelineLayout::of(plans[i], composition, scale);
        body += "<g class=\"input\" data-input=\"" + std::to_string(plans[i].number) + "\">\n";
        body += text(TTimelineLayout::Margin, y + 14, heads.at(i), "head");
        const double top = y + HeadHeight;
        for (const TTimelineLayout::Bar& b : t.bars) {
            body += label(TTimelineLayout::Margin, top + b.labelY + 11, b.parts);
            body += bar(b, top);
        }
        const double axis = top + t.axisY;
        body += "<line class=\"axis\" x1=\"" + number(TTimelineLayout::Margin) + "\" y1=\"" + number(axis) + "\" x2=\""
            + number(scale.right()) + "\" y2=\"" + number(axis) + "\"/>\n";
        for (const TTimelineLayout::Tick& tick : t.ticks) {
            body += "<line class=\"tick\" x1=\"" + number(tick.x) + "\" y1=\"" + number(axis) + "\" x2=\""
                + number(tick.x) + "\" y2=\"" + number(axis + 4) + "\"/>\n";
            body += tick.textBefore ? text(tick.x - TTimelineLayout::TickTextGap, axis + 14, tick.text, "time", "end")
                                    : text(tick.x + TTimelineLayout::TickTextGap, axis + 14, tick.text, "time");
        }
        for (size_t n = 0; n < t.notes.size(); ++n)
            body += text(TTimelineLayout::Margin,
                         top + t.noteY + TTimelineLayout::NoteHeight * static_cast<double>(n) + 11, t.notes[n], "note");
        body += "</g>\n";
        y = top + t.height + Gap;
    }
    const double height = std::max(y, 2 * TTimelineLayout::Margin);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""
        + number(Width) + "\" height=\"" + number(height) + "\" viewBox=\"0 0 " + number(Width) + " " + number(height)
        + "\">\n"
          "<defs><linearGradient id=\"open\"><stop offset=\"0.7\" stop-color=\"#5b9bd5\"/>"
          "<stop offset=\"1\" stop-color=\"#5b9bd5\" stop-opacity=\"0\"/></linearGradient></defs>\n"
          "<style>text { font-family: sans-serif; font-size: 11px; } .head { font-weight: bold; font-size: 12px; }"
          " .delay { fill: #c8c8c8; } .stage { fill: #5b9bd5; stroke: #2e6da4; } .axis, .tick { stroke: #666; }"
          " .time { font-size: 9px; fill: #444; } .note { fill: #a33; }</style>\n"
        + body + "</svg>\n";
}
