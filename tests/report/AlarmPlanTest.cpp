// What each input does when, read from planted images: the running stages
// with their times from the trigger, the stages that never run, and the
// cause-and-effect matrix and the timelines drawn from them.

#include "image/TAlarmRecord.h"
#include "report/TAlarmPlan.h"
#include "report/TCauseMatrix.h"
#include "report/TTimelineLayout.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Two splitters and one relay module. IN-1: delay 00:30; stage 1 (60 s) on
// LB1 OUT1 and K1; stage 2 unlimited on relay 1.2.
TImage base()
{
    TImage image;
    image.setByte(Layout::CompositionByte, 0x10);
    image.setByte(Layout::ModuleByte, 0x08);
    TAlarmRecord in1(image, 1);
    in1.setEnabled(true);
    in1.setDelayCode(2);
    in1.stage(1).setDuration(4);
    in1.stage(1).setOutputBit(Layout::outputBit(1, 1), true);
    in1.stage(1).setK1(true);
    in1.stage(2).setDuration(255);
    in1.stage(2).setRelayBit(Layout::relayBit(1, 2), true);
    return image;
}

// The relay columns, named as the report names them.
const std::string Relay12 = "Релейный модуль №1 K2";
const std::string K1 = "Реле в KT7-CU K1";

TStageRecord stage(TImage& image, int k)
{
    return TAlarmRecord(image, 1).stage(k);
}

struct Case {
    const char* name;
    std::function<void(TImage&)> plant;
    std::vector<std::string> cells;       // "row|column|stages" of every cell that is not empty
    std::vector<std::string> times;       // "stage: start+duration" of IN-1, "u" unlimited, "?" unknown
    std::vector<int> idle;                // stages of IN-1 that never run
    std::vector<std::string> labels = {}; // of IN-1's timeline bars, then its notes; empty: not looked at
    size_t columns = 14;
};

std::vector<std::string> cellsOf(const TCauseMatrix& m)
{
    std::vector<std::string> out;
    for (size_t r = 0; r < m.rows.size(); ++r)
        for (size_t c = 0; c < m.columns.size(); ++c)
            if (!m.cell(r, c).empty())
                out.push_back(m.rows[r].head + "|" + m.columns[c].head + "|" + m.cell(r, c));
    return out;
}

std::vector<std::string> timesOf(const TAlarmPlan::Input& plan)
{
    std::vector<std::string> out;
    for (const TAlarmPlan::Stage& s : plan.running)
        out.push_back(std::to_string(s.number) + ": " + (s.start == TAlarmPlan::Unknown ? "?" : std::to_string(s.start))
                      + "+" + (s.unlimited() ? "u" : std::to_string(s.duration)));
    return out;
}

int secondsOf(const std::string& minutesSeconds)
{
    const size_t colon = minutesSeconds.find(':');
    return 60 * std::stoi(minutesSeconds.substr(0, colon)) + std::stoi(minutesSeconds.substr(colon + 1));
}

// What a timeline of any alarm keeps: every bar inside the picture and not
// negative, the stages one after another from the end of the delay (from
// the trigger after a delay without a list entry), the
// ticks at least the minimum gap apart, the last one at the end of a span
// of whole steps, and each tick's time inside the picture.
std::vector<std::string> timelineFaults(const TAlarmPlan::Input& plan, const TAlarmPlan::Composition& composition)
{
    const TTimelineLayout::Scale scale = TTimelineLayout::Scale::of({plan}, 900);
    const TTimelineLayout t = TTimelineLayout::of(plan, composition, scale);
    std::vector<std::string> faults;
    const auto fault = [&](bool bad, const std::string& what) {
        if (bad)
            faults.push_back(what);
    };
    double at = t.bars.front().x;
    for (const TTimelineLayout::Bar& b : t.bars) {
        const std::string bar = "bar " + std::to_string(b.stage);
        fault(b.width < 0, bar + ": negative width");
        fault(b.x < TTimelineLayout::Margin || b.x + b.width > scale.right() + 1e-6, bar + ": outside the picture");
        fault(std::abs(b.x - at) > 1e-6, bar + ": not where the one before ends");
        at = b.x + b.width;
    }
    // An unknown delay takes no room: stage 1 starts at the trigger.
    fault(plan.delay == TAlarmPlan::Unknown && t.bars.size() > 1 && t.bars[1].x != scale.x(0),
          "stage 1 not at the trigger");
    for (size_t i = 1; i < t.ticks.size(); ++i)
        fault(t.ticks[i].x - t.ticks[i - 1].x < TTimelineLayout::MinTickGap, "ticks too close: " + t.ticks[i].text);
    if (t.ticks.size() >= 2) {
        const int step = secondsOf(t.ticks[1].text);
        fault(scale.span % step == 0 && secondsOf(t.ticks.back().text) != scale.span, "no last tick");
    }
    for (const TTimelineLayout::Tick& tick : t.ticks) {
        const double text = TTimelineLayout::TimeCharWidth * static_cast<double>(tick.text.size());
        const double from
            = tick.textBefore ? tick.x - TTimelineLayout::TickTextGap - text : tick.x + TTimelineLayout::TickTextGap;
        fault(from < 0 || from + text > t.width, "tick's time cut: " + tick.text);
    }
    return faults;
}

std::vector<std::string> labelsOf(const TAlarmPlan::Input& plan, const TAlarmPlan::Composition& composition)
{
    const TTimelineLayout t = TTimelineLayout::of(plan, composition, TTimelineLayout::Scale::of({plan}, 900));
    std::vector<std::string> out;
    for (const TTimelineLayout::Bar& b : t.bars)
        out.push_back(b.label());
    for (const std::string& note : t.notes)
        out.push_back("note: " + note);
    return out;
}

} // namespace

TEST(AlarmPlan, RunningStagesTimesAndMatrixCellsOfPlantedImages)
{
    const std::vector<Case> cases = {
        {"a delay, a limited stage, then an unlimited one",
         [](TImage&) {},
         {"IN-1|LB1 OUT1|1", "IN-1|" + Relay12 + "|2", "IN-1|" + K1 + "|1"},
         {"1: 30+60", "2: 90+u"},
         {},
         // A stage heard on no output is labelled without a message.
         {"Срабатывание, задержка 00:30", "Этап 1  00:30–01:30 (01:00)  Панель №1  1 вых., 1 реле",
          "Этап 2  с 01:30, неограниченно  1 реле"}},
        {"a 5-minute delay and a short stage that ends the alarm",
         [](TImage& im) {
             TAlarmRecord(im, 1).setDelayCode(17);
             stage(im, 1).setDuration(2);
             stage(im, 2).setDuration(0);
             stage(im, 1).setK1(false);
         },
         {"IN-1|LB1 OUT1|1"},
         {"1: 315+30"},
         {},
         {"Срабатывание, задержка 05:15", "Этап 1  05:15–05:45 (00:30)  Панель №1  1 вых."}},
        {"a 30-minute stage",
         [](TImage& im) {
             TAlarmRecord(im, 1).setDelayCode(0);
             stage(im, 1).setDuration(120);
             stage(im, 2).setDuration(0);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|" + K1 + "|1"},
         {"1: 0+1800"},
         {}},
        {"a stage beyond the unlimited one never runs",
         [](TImage& im) {
             stage(im, 3).setDuration(8);
             stage(im, 3).setOutputBit(Layout::outputBit(2, 1), true);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|" + Relay12 + "|2", "IN-1|" + K1 + "|1"},
         {"1: 30+60", "2: 90+u"},
         {3}},
        {"a stage beyond one that is off never runs",
         [](TImage& im) {
             stage(im, 2).setDuration(4);
             stage(im, 4).setDuration(4);
             stage(im, 4).setOutputBit(Layout::outputBit(2, 2), true);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|" + Relay12 + "|2", "IN-1|" + K1 + "|1"},
         {"1: 30+60", "2: 90+60"},
         {4}},
        {"a stage that switches nothing still takes its time",
         [](TImage& im) {
             stage(im, 2).setDuration(4);
             stage(im, 2).setRelayBit(Layout::relayBit(1, 2), false);
             stage(im, 3).setDuration(2);
             stage(im, 3).setOutputBit(Layout::outputBit(1, 1), true);
             stage(im, 3).setOutputBit(Layout::outputBit(2, 4), true);
         },
         {"IN-1|LB1 OUT1|1, 3", "IN-1|LB2 OUT4|3", "IN-1|" + K1 + "|1"},
         {"1: 30+60", "2: 90+60", "3: 150+30"},
         {}},
        {"outputs of absent splitters and relays of absent modules have no column and are not counted",
         [](TImage& im) {
             stage(im, 1).setOutputBit(Layout::outputBit(3, 1), true);
             stage(im, 2).setRelayBit(Layout::relayBit(2, 1), true);
             stage(im, 2).setOutputBit(Layout::outputBit(3, 2), true);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|" + Relay12 + "|2", "IN-1|" + K1 + "|1"},
         {"1: 30+60", "2: 90+u"},
         {},
         {"Срабатывание, задержка 00:30", "Этап 1  00:30–01:30 (01:00)  Панель №1  1 вых., 1 реле",
          "Этап 2  с 01:30, неограниченно  1 реле"}},
        {"a splitter count field of 12, the first without a list entry, shows 12 splitters",
         [](TImage& im) { im.setValue(Layout::SplitterCount.at(Layout::SystemNode), 12); },
         {"IN-1|LB1 OUT1|1", "IN-1|" + Relay12 + "|2", "IN-1|" + K1 + "|1"},
         {"1: 30+60", "2: 90+u"},
         {},
         {},
         48 + 4 + 2},
        {"counts beyond their lists show every splitter and relay module",
         [](TImage& im) {
             im.setValue(Layout::SplitterCount.at(Layout::SystemNode), 13);
             im.setValue(Layout::RelayModuleCount.at(Layout::SystemNode), 7);
             stage(im, 1).setOutputBit(Layout::outputBit(12, 4), true);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|LB12 OUT4|1", "IN-1|" + Relay12 + "|2", "IN-1|" + K1 + "|1"},
         {"1: 30+60", "2: 90+u"},
         {},
         {"Срабатывание, задержка 00:30", "Этап 1  00:30–01:30 (01:00)  Панель №1  2 вых., 1 реле",
          "Этап 2  с 01:30, неограниченно  1 реле"},
         48 + 24 + 2},
        {"stage 1 off: nothing runs", [](TImage& im) { stage(im, 1).setDuration(0); }, {}, {}, {2}},
        {"a duration code above 240 runs without a limit",
         [](TImage& im) {
             stage(im, 1).setDuration(241);
             stage(im, 2).setDuration(4);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|" + K1 + "|1"},
         {"1: 30+u"},
         {2}},
        {"a delay without a list entry leaves the times unknown",
         [](TImage& im) { TAlarmRecord(im, 1).setDelayCode(27); },
         {"IN-1|LB1 OUT1|1", "IN-1|" + Relay12 + "|2", "IN-1|" + K1 + "|1"},
         {"1: ?+60", "2: ?+u"},
         {},
         {"Срабатывание, задержка вне списка (код 27)", "Этап 1  ? (01:00)  Панель №1  1 вых., 1 реле",
          "Этап 2  ?  1 реле",
          "note: Задержка вне списка: время от срабатывания неизвестно; этапы показаны контуром, от срабатывания"}},
        {"the longest delay and stage",
         [](TImage& im) {
             TAlarmRecord(im, 1).setDelayCode(26);
             stage(im, 1).setDuration(240);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|" + Relay12 + "|2", "IN-1|" + K1 + "|1"},
         {"1: 450+3600", "2: 4050+u"},
         {}},
        {"an algorithm switched off has no row",
         [](TImage& im) { TAlarmRecord(im, 1).setEnabled(false); },
         {},
         {},
         {},
         {"Срабатывание, задержка 00:30", "note: Алгоритм выключен: этапы не выполняются"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TImage image = base();
        c.plant(image);
        const TCauseMatrix m = TCauseMatrix::of(image, {});
        EXPECT_EQ(cellsOf(m), c.cells);
        EXPECT_EQ(m.columns.size(), c.columns);
        const TAlarmPlan::Input plan = TAlarmPlan::of(image, 1);
        EXPECT_EQ(timesOf(plan), c.times);
        EXPECT_EQ(plan.idle, c.idle);
        EXPECT_EQ(timelineFaults(plan, m.composition), std::vector<std::string>());
        if (!c.labels.empty()) {
            EXPECT_EQ(labelsOf(plan, m.composition), c.labels);
        }
    }
}

TEST(AlarmPlan, MatrixMarksUnusedColumnsAndIdleRowsInEveryFormat)
{
    TImage image = base();
    TAlarmRecord in2(image, 2);
    in2.setEnabled(true);
    in2.stage(1).setDuration(2);
    TCauseMatrix::Names names;
    names[0] = "Пожар; \"этаж\"";
    const TCauseMatrix m = TCauseMatrix::of(image, names);
    EXPECT_EQ(m.unusedColumns(),
              "LB1 OUT2, LB1 OUT3, LB1 OUT4, LB2 OUT1, LB2 OUT2, LB2 OUT3, LB2 OUT4, Релейный модуль №1 K1, "
              "Релейный модуль №1 K3, Релейный модуль №1 K4, Реле в KT7-CU K2");
    EXPECT_EQ(m.idleRows(), "IN-2");
    const std::string csv = m.csv();
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(csv.find("\r\n\"IN-1 Пожар; \"\"этаж\"\"\";1;;"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\nIN-2;;"), std::string::npos);
    const std::string text = m.text();
    EXPECT_NE(text.find("Ни один алгоритм не включает: LB1 OUT2"), std::string::npos) << text;
    EXPECT_NE(text.find("Ничего не включают: IN-2"), std::string::npos);
    const std::string json = m.json();
    EXPECT_NE(
        json.find("{\"head\": \"LB1 OUT2\", \"kind\": \"output\", \"splitter\": 1, \"output\": 2, \"used\": false}"),
        std::string::npos)
        << json;
    EXPECT_NE(json.find("\"switches\": false, \"stages\": [{\"stage\": 1, \"start\": 0, \"end\": 30"),
              std::string::npos);
    EXPECT_NE(json.find("\"cells\": {\"LB1 OUT1\": [1], \"Релейный модуль №1 K2\": [2], \"Реле в KT7-CU K1\": [1]}"),
              std::string::npos);

    // Paging groups are zones while paging is on, and only then.
    EXPECT_TRUE(m.zones.empty());
    image.setValue(Layout::PagingFlag.at(Layout::SystemNode), 1);
    const TCauseMatrix paged = TCauseMatrix::of(image, names);
    ASSERT_EQ(paged.zones.size(), static_cast<size_t>(Layout::MaskCount));
    EXPECT_EQ(paged.zones.back().head, "Группа 12 (Код-212)");
}
