#pragma once
// The drawing of one alarm on a time scale, from the trigger: the delay, then
// each running stage as a bar as long as its running time (an unlimited
// stage runs to the right edge with an open end), each row with its label
// above its bar, a time axis below, and a note on the stages that never run.
// The window paints it, kt7tool writes it as SVG: both draw these boxes and
// texts and nothing else. Lengths in pixels.

#include "report/TAlarmPlan.h"

#include <string>
#include <vector>

class TTimelineLayout {
public:
    static constexpr double Margin = 8;
    static constexpr double LabelHeight = 14; // a line of text, 11 px type
    static constexpr double BarHeight = 10;
    static constexpr double RowHeight = LabelHeight + BarHeight + 4;
    static constexpr double AxisHeight = 18;
    static constexpr double MinSpan = 60; // seconds the scale shows at least
    static constexpr int DelayRow = 0;    // the stage number of the delay's row

    struct Bar {
        int stage = DelayRow; // 0: the delay
        double x = 0, y = 0, width = 0, height = BarHeight;
        bool open = false; // unlimited: no end
        std::string label;
        double labelY = 0; // top of the label line
    };
    struct Tick {
        double x = 0;
        std::string text;
    };

    // The scale shows spanSeconds of limited time (at least MinSpan) across
    // width, less room for an open end when a stage is unlimited; one scale
    // for several alarms is the largest Input::limitedSpan() of them.
    static TTimelineLayout of(const TAlarmPlan::Input& plan, const TAlarmPlan::Composition& composition, double width,
                              int spanSeconds);

    double width = 0;
    double height = 0;
    double axisY = 0;      // the axis line
    std::vector<Bar> bars; // the delay first, then the running stages
    std::vector<Tick> ticks;
    std::string note; // the stages that never run, or that none runs
    double noteY = 0;

    // The stage whose row holds y: 1..5, DelayRow for the delay, -1 for none.
    int rowAt(double y) const;
    // The label of a stage's bar: "Этап 2  01:00–01:30 (00:30)  MS3-1 №2  4 вых., 1 реле".
    static std::string stageLabel(const TAlarmPlan::Stage& stage, const TAlarmPlan::Composition& composition);
};
