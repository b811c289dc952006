#include "report/TTimelineLayout.h"

#include "image/TAlarmLists.h"
#include "report/TReportTerms.h"

#include <algorithm>

namespace {
// Axis steps, seconds: as few labels as fit at least MinTickGap apart.
constexpr int Steps[] = {15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 14400};
constexpr double OpenEnd = 0.15; // of the width, at least OpenEndMin
constexpr double OpenEndMin = 40;

bool unlimitedStage(const TAlarmPlan::Input& plan)
{
    return std::any_of(plan.running.begin(), plan.running.end(),
                       [](const TAlarmPlan::Stage& s) { return s.unlimited(); });
}
} // namespace

std::string TTimelineLayout::Bar::label() const
{
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : "  ") + part;
    return out;
}

TTimelineLayout::Scale TTimelineLayout::Scale::of(const std::vector<TAlarmPlan::Input>& plans, double width)
{
    Scale scale;
    scale.width = width;
    bool open = false;
    int span = static_cast<int>(MinSpan);
    for (const TAlarmPlan::Input& plan : plans) {
        span = std::max(span, plan.limitedSpan());
        open = open || unlimitedStage(plan);
    }
    const double room = scale.right() - Margin;
    const double scaleWidth = std::max(1.0, room - (open ? std::max(OpenEndMin, room * OpenEnd) : 0));
    scale.span = span;
    scale.perSecond = scaleWidth / span;
    return scale;
}

std::vector<std::string> TTimelineLayout::stageLabel(const TAlarmPlan::Stage& stage,
                                                     const TAlarmPlan::Composition& composition)
{
    const std::string runs = stage.unlimited()
        ? ""
        : " (" + TAlarmLists::durationEntry(TAlarmLists::entryForDuration(stage.durationCode)) + ")";
    std::vector<std::string> parts = {"Этап " + std::to_string(stage.number), stage.span() + runs};
    // The message is heard only on outputs of splitters the system has.
    const int outputs = stage.outputCount(composition);
    const int relays = stage.relayCount(composition);
    if (outputs > 0)
        parts.push_back(TReportTerms::messageSource(stage.messageCode) + " №"
                        + std::to_string(stage.messageCode % 8 + 1));
    std::string switched = outputs > 0 ? std::to_string(outputs) + " вых." : "";
    if (relays > 0)
        switched += (switched.empty() ? "" : ", ") + std::to_string(relays) + " реле";
    if (!switched.empty())
        parts.push_back(switched);
    return parts;
}

TTimelineLayout TTimelineLayout::of(const TAlarmPlan::Input& plan, const TAlarmPlan::Composition& composition,
                                    const Scale& scale)
{
    TTimelineLayout t;
    t.width = scale.width;
    const double right = scale.right();
    // After a delay without a list entry no time from the trigger is known;
    // the stages keep their order and lengths, drawn from the trigger.
    const bool unknown = plan.delay == TAlarmPlan::Unknown;
    const int delay = unknown ? 0 : plan.delay;

    double y = 0;
    Bar delayBar;
    delayBar.x = scale.x(0);
    delayBar.width = delay * scale.perSecond;
    delayBar.unknown = unknown;
    delayBar.labelY = y;
    delayBar.y = y + LabelHeight;
    delayBar.parts = {std::string("Срабатывание, задержка ")
                      + (unknown ? "вне списка (код " + std::to_string(plan.delayCode) + ")"
                                 : TAlarmLists::minutesSeconds(plan.delay))};
    t.bars.push_back(delayBar);
    y += RowHeight;

    double at = delay;
    for (const TAlarmPlan::Stage& s : plan.running) {
        Bar bar;
        bar.stage = s.number;
        bar.x = scale.x(at);
        bar.open = s.unlimited();
        bar.unknown = unknown;
        bar.width = bar.open ? right - bar.x : s.duration * scale.perSecond;
        bar.labelY = y;
        bar.y = y + LabelHeight;
        bar.parts = stageLabel(s, composition);
        t.bars.push_back(bar);
        at += bar.open ? 0 : s.duration;
        y += RowHeight;
    }

    t.axisY = y + 2;
    int step = Steps[std::size(Steps) - 1];
    for (const int s : Steps)
        if (s * scale.perSecond >= MinTickGap) {
            step = s;
            break;
        }
    for (int s = 0; s <= scale.span; s += step) {
        Tick tick{scale.x(s), TAlarmLists::minutesSeconds(s)};
        tick.textBefore = tick.x + TickTextGap + TimeCharWidth * static_cast<double>(tick.text.size()) > t.width;
        t.ticks.push_back(tick);
    }
    y += AxisHeight;

    if (unknown && !plan.running.empty())
        t.notes.push_back("Задержка вне списка: время от срабатывания неизвестно; этапы показаны контуром, от "
                          "срабатывания");
    if (!plan.enabled)
        t.notes.push_back("Алгоритм выключен: этапы не выполняются");
    else if (plan.running.empty())
        t.notes.push_back("Этапы не выполняются: этап 1 выключен");
    else if (const std::string idle = plan.idleText(); !idle.empty())
        t.notes.push_back(idle);
    t.noteY = y;
    y += NoteHeight * static_cast<double>(t.notes.size());
    t.height = y + 2;
    return t;
}

int TTimelineLayout::rowAt(double y) const
{
    for (const Bar& b : bars)
        if (y >= b.labelY && y < b.labelY + RowHeight)
            return b.stage;
    return -1;
}

std::vector<std::string> TTimelineLayout::stageEffects(const TAlarmPlan::Stage& stage,
                                                       const TAlarmPlan::Composition& composition,
                                                       const TSiteNames& site)
{
    std::vector<std::string> lines;
    const auto line = [&lines](std::string what, const std::string& name) {
        lines.push_back(name.empty() ? std::move(what) : what + " — " + name);
    };
    if (const std::string& message = site.message(stage.messageCode); !message.empty())
        line(TReportTerms::messageName(stage.messageCode), message);
    for (int s = 1; s <= composition.splitters; ++s)
        for (int o = 1; o <= Layout::OutputsPerSplitter; ++o)
            if (stage.outputs[static_cast<size_t>(Layout::outputBit(s, o))])
                line(TReportTerms::outputName(s, o), site.zone(s, o));
    if (stage.k1)
        line(TReportTerms::relayName(0, 1), site.controllerRelay(1));
    if (stage.k2)
        line(TReportTerms::relayName(0, 2), site.controllerRelay(2));
    for (int m = 1; m <= composition.relayModules; ++m)
        for (int r = 1; r <= Layout::RelaysPerModule; ++r)
            if (stage.relays[static_cast<size_t>(Layout::relayBit(m, r))])
                line(TReportTerms::relayName(m, r), site.relay(m, r));
    return lines;
}
