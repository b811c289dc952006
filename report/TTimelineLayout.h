#pragma once
// The drawing of one alarm on a time scale, from the trigger: the delay, then
// each running stage as a bar as long as its running time (an unlimited
// stage runs to the right edge with an open end), each row with its label
// above its bar, a time axis below, and notes on what the drawing cannot
// show. The window paints it, kt7tool writes it as SVG: both draw these
// boxes and texts and nothing else. Lengths in pixels.

#include "image/TSiteNames.h"
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
    static constexpr double MinSpan = 60;      // seconds the scale shows at least
    static constexpr double MinTickGap = 56;   // between neighbouring ticks
    static constexpr double TickTextGap = 2;   // between a tick and its time
    static constexpr double TimeCharWidth = 6; // a character of the axis's 9 px type, at most
    static constexpr int DelayRow = 0;         // the stage number of the delay's row

    // One time scale for every alarm drawn on it: a second from the trigger
    // lies at the same x in each, and each has the same ticks.
    struct Scale {
        double width = 0;
        double perSecond = 1;
        int span = 0; // seconds the axis shows

        // As long as the longest limited time of the alarms (at least
        // MinSpan) across width, less room at the right for an open end
        // when any of them has an unlimited stage.
        static Scale of(const std::vector<TAlarmPlan::Input>& plans, double width);
        double x(double seconds) const { return Margin + seconds * perSecond; }
        double right() const { return width - Margin; }
    };

    struct Bar {
        int stage = DelayRow; // 0: the delay
        double x = 0, y = 0, width = 0, height = BarHeight;
        bool open = false; // unlimited: no end
        // Its time from the trigger is not known (a delay without a list
        // entry): drawn from the trigger, in outline only.
        bool unknown = false;
        // What the bar is and what it does: "Этап 2", "01:00–01:30 (00:30)",
        // "MS3-1 №2", "4 вых., 1 реле"; a stage that plays on no output has
        // no message part, one that switches nothing no count.
        std::vector<std::string> parts;
        double labelY = 0; // top of the label line

        // The parts as one line, two blanks apart.
        std::string label() const;
    };
    struct Tick {
        double x = 0;
        std::string text;
        // The time stands left of its tick, where right of it would pass
        // the right edge of the drawing.
        bool textBefore = false;
    };

    static TTimelineLayout of(const TAlarmPlan::Input& plan, const TAlarmPlan::Composition& composition,
                              const Scale& scale);

    double width = 0;
    double height = 0;
    double axisY = 0;      // the axis line
    std::vector<Bar> bars; // the delay first, then the running stages
    std::vector<Tick> ticks;
    // Below the axis, a line each: an unknown delay, the stages that never
    // run, or that none runs (the algorithm or its stage 1 is off).
    std::vector<std::string> notes;
    double noteY = 0; // top of the first note's line; each next one NoteHeight lower
    static constexpr double NoteHeight = LabelHeight + 2;

    // The stage whose row holds y: 1..5, DelayRow for the delay, -1 for none.
    int rowAt(double y) const;
    // The label of a stage's bar.
    static std::vector<std::string> stageLabel(const TAlarmPlan::Stage& stage,
                                               const TAlarmPlan::Composition& composition);
    // The message the stage plays where the site names it, then what the
    // stage switches that the system has, one line each in the report's
    // words, with the name the site gives it: "Панель, сообщение 2 —
    // Эвакуация", "Zarna KT7-LB №2 OUT3 — 2 этаж, коридор", "Реле в KT7-CU K1".
    static std::vector<std::string> stageEffects(const TAlarmPlan::Stage& stage,
                                                 const TAlarmPlan::Composition& composition, const TSiteNames& site);
};
