#include "report/TTimelineSvg.h"

#include "report/TTimelineLayout.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr double HeadHeight = 20;
constexpr double Gap = 12;

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string text(double x, double y, const std::string& body, const char* cls)
{
    return "<text class=\"" + std::string(cls) + "\" x=\"" + number(x) + "\" y=\"" + number(y) + "\">"
        + TTimelineSvg::escaped(body) + "</text>\n";
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
    int span = 0;
    for (const TAlarmPlan::Input& p : plans)
        span = std::max(span, p.limitedSpan());
    std::string body;
    double y = TTimelineLayout::Margin;
    for (size_t i = 0; i < plans.size(); ++i) {
        const TTimelineLayout t = TTimelineLayout::of(plans[i], composition, Width, span);
        body += "<g class=\"input\" data-input=\"" + std::to_string(plans[i].number) + "\">\n";
        body += text(TTimelineLayout::Margin, y + 14, heads.at(i), "head");
        const double top = y + HeadHeight;
        for (const TTimelineLayout::Bar& b : t.bars) {
            body += text(TTimelineLayout::Margin, top + b.labelY + 11, b.label, "label");
            const std::string cls = b.stage == TTimelineLayout::DelayRow ? "delay" : "stage";
            body += "<rect class=\"" + cls + "\""
                + (cls == "stage" ? " data-stage=\"" + std::to_string(b.stage) + "\"" : "")
                + (b.open ? " data-unlimited=\"true\"" : "") + " x=\"" + number(b.x) + "\" y=\"" + number(top + b.y)
                + "\" width=\"" + number(b.width) + "\" height=\"" + number(b.height) + "\""
                + (b.open ? " style=\"fill: url(#open); stroke: none\"" : "") + "/>\n";
        }
        const double axis = top + t.axisY;
        body += "<line class=\"axis\" x1=\"" + number(TTimelineLayout::Margin) + "\" y1=\"" + number(axis) + "\" x2=\""
            + number(Width - TTimelineLayout::Margin) + "\" y2=\"" + number(axis) + "\"/>\n";
        for (const TTimelineLayout::Tick& tick : t.ticks) {
            body += "<line class=\"tick\" x1=\"" + number(tick.x) + "\" y1=\"" + number(axis) + "\" x2=\""
                + number(tick.x) + "\" y2=\"" + number(axis + 4) + "\"/>\n";
            body += text(tick.x + 2, axis + 14, tick.text, "time");
        }
        if (!t.note.empty())
            body += text(TTimelineLayout::Margin, top + t.noteY + 11, t.note, "note");
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
