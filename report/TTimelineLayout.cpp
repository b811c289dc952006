#include "report/TTimelineLayout.h"

#include "image/TAlarmLists.h"
#include "report/TReportTerms.h"

#include <algorithm>

namespace {
// Axis steps, seconds: as few labels as fit at least MinTickGap apart.
constexpr int Steps[] = {15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 14400};
constexpr double MinTickGap = 56;
constexpr double OpenEnd = 0.15; // of the width, at least OpenEndMin
constexpr double OpenEndMin = 40;
} // namespace

std::string TTimelineLayout::stageLabel(const TAlarmPlan::Stage& stage, const TAlarmPlan::Composition& composition)
{
    const std::string runs = stage.unlimited()
        ? ""
        : " (" + TAlarmLists::durationEntry(TAlarmLists::entryForDuration(stage.durationCode)) + ")";
    return "Этап " + std::to_string(stage.number) + "  " + stage.span() + runs + "  "
        + TReportTerms::messageSource(stage.messageCode) + " №" + std::to_string(stage.messageCode % 8 + 1) + "  "
        + std::to_string(stage.outputCount(composition)) + " вых., " + std::to_string(stage.relayCount(composition))
        + " реле";
}

TTimelineLayout TTimelineLayout::of(const TAlarmPlan::Input& plan, const TAlarmPlan::Composition& composition,
                                    double width, int spanSeconds)
{
    TTimelineLayout t;
    t.width = width;
    const bool open = std::any_of(plan.running.begin(), plan.running.end(),
                                  [](const TAlarmPlan::Stage& s) { return s.unlimited(); });
    const double left = Margin;
    const double right = width - Margin;
    const double scaleWidth
        = std::max(1.0, (right - left) - (open ? std::max(OpenEndMin, (right - left) * OpenEnd) : 0));
    const double span = std::max<double>(MinSpan, spanSeconds);
    const double perSecond = scaleWidth / span;
    // After a delay without a list entry the stages are drawn from the trigger.
    const int delay = plan.delay == TAlarmPlan::Unknown ? 0 : plan.delay;

    double y = 0;
    Bar delayBar;
    delayBar.x = left;
    delayBar.width = delay * perSecond;
    delayBar.labelY = y;
    delayBar.y = y + LabelHeight;
    delayBar.label = std::string("Срабатывание, задержка ")
        + (plan.delay == TAlarmPlan::Unknown ? "вне списка (код " + std::to_string(plan.delayCode) + ")"
                                             : TAlarmLists::minutesSeconds(plan.delay));
    t.bars.push_back(delayBar);
    y += RowHeight;

    double at = delay;
    for (const TAlarmPlan::Stage& s : plan.running) {
        Bar bar;
        bar.stage = s.number;
        bar.x = left + at * perSecond;
        bar.open = s.unlimited();
        bar.width = bar.open ? right - bar.x : s.duration * perSecond;
        bar.labelY = y;
        bar.y = y + LabelHeight;
        bar.label = stageLabel(s, composition);
        t.bars.push_back(bar);
        at += bar.open ? 0 : s.duration;
        y += RowHeight;
    }

    t.axisY = y + 2;
    int step = Steps[std::size(Steps) - 1];
    for (const int s : Steps)
        if (s * perSecond >= MinTickGap) {
            step = s;
            break;
        }
    for (int s = 0; s <= span; s += step)
        t.ticks.push_back({left + s * perSecond, TAlarmLists::minutesSeconds(s)});
    y += AxisHeight;

    if (plan.running.empty())
        t.note = "Этапы не выполняются: этап 1 выключен";
    else
        t.note = plan.idleText();
    if (!t.note.empty()) {
        t.noteY = y;
        y += LabelHeight + 2;
    }
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
