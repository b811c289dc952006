// What each input does when, read from planted images: the running stages
// with their times from the trigger, the stages that never run, and the
// cause-and-effect matrix and the timelines drawn from them.

#include "image/TAlarmRecord.h"
#include "report/TAcceptance.h"
#include "report/TAlarmPlan.h"
#include "report/TCauseMatrix.h"
#include "report/TTimelineLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    // IN-1's effects for the acceptance test, "stage time key (name): message";
    // empty: only counted against the cells.
    std::vector<std::string> effects = {};
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
          "Этап 2  с 01:30, неограниченно  1 реле"},
         14,
         {"1 00:30–01:30 LB1.OUT1 (Зал): Панель, сообщение 1",
          "1 00:30–01:30 CU.K1: ", "2 с 01:30, неограниченно RM1.K2: "}},
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
         {},
         {},
         14,
         {"1 00:30–01:30 LB1.OUT1 (Зал): Панель, сообщение 1", "1 00:30–01:30 CU.K1: ",
          "3 02:30–03:00 LB1.OUT1 (Зал): Панель, сообщение 1", "3 02:30–03:00 LB2.OUT4: Панель, сообщение 1"}},
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
         48 + 24 + 2,
         {"1 00:30–01:30 LB1.OUT1 (Зал): Панель, сообщение 1", "1 00:30–01:30 LB12.OUT4: Панель, сообщение 1",
          "1 00:30–01:30 CU.K1: ", "2 с 01:30, неограниченно RM1.K2: "}},
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
    TSiteNames site;
    site.zones[static_cast<size_t>(Layout::outputBit(1, 1))] = "Зал";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TImage image = base();
        c.plant(image);
        const TCauseMatrix m = TCauseMatrix::of(image, {});
        // The acceptance test expects one effect per stage of every cell.
        const TAcceptancePlan acceptance = TAcceptancePlan::of(image, {}, site);
        const TAcceptancePlan::Input* in1 = acceptance.input(1);
        std::vector<std::string> effects;
        for (const TAcceptancePlan::Effect& e : in1 ? in1->effects : std::vector<TAcceptancePlan::Effect>())
            effects.push_back(std::to_string(e.stage) + " " + e.time + " " + e.key
                              + (e.name.empty() ? "" : " (" + e.name + ")") + ": " + e.message);
        size_t stages = 0;
        for (const std::string& cell : c.cells)
            stages += static_cast<size_t>(std::count(cell.begin(), cell.end(), ',')) + 1;
        EXPECT_EQ(effects.size(), stages);
        EXPECT_EQ(in1 != nullptr, TAlarmRecord(image, 1).enabled());
        if (!c.effects.empty()) {
            EXPECT_EQ(effects, c.effects);
        }
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

TEST(AlarmPlan, AcceptanceResultsGoStaleWhenTheirInputChangesAndOnlyThen)
{
    // base() with IN-2 on LB2 OUT1 for 30 s, and the hall of LB1 OUT1 named.
    TImage image = base();
    TAlarmRecord in2(image, 2);
    in2.setEnabled(true);
    in2.stage(1).setDuration(2);
    in2.stage(1).setOutputBit(Layout::outputBit(2, 1), true);
    TCauseMatrix::Names names;
    names[0] = "Пожар";
    TSiteNames site;
    site.zones[static_cast<size_t>(Layout::outputBit(1, 1))] = "Зал";
    site.engineer = "Иванов";

    // Every effect of both inputs passed on the configuration as it was.
    std::vector<TAcceptanceResult> passed;
    for (const TAcceptancePlan::Input& in : TAcceptancePlan::of(image, names, site).inputs)
        for (const TAcceptancePlan::Effect& e : in.effects)
            passed.push_back({in.number, e.stage, e.key, TAcceptanceResult::Verdict::Pass, in.fingerprint,
                              "2026-12-08T10:00:0" + std::to_string(e.stage) + "+03:00", "Петров", ""});
    ASSERT_EQ(passed.size(), 4u);

    using State = TAcceptance::State;
    struct Edit {
        const char* name;
        std::function<void(TImage&, TCauseMatrix::Names&, TSiteNames&)> apply;
        State in1;
        State in2;
    };
    const std::vector<Edit> edits = {
        {"nothing", [](TImage&, TCauseMatrix::Names&, TSiteNames&) {}, State::Passed, State::Passed},
        {"an output of IN-1",
         [](TImage& im, auto&, auto&) { stage(im, 1).setOutputBit(Layout::outputBit(1, 2), true); }, State::Stale,
         State::Passed},
        {"the delay of IN-1", [](TImage& im, auto&, auto&) { TAlarmRecord(im, 1).setDelayCode(3); }, State::Stale,
         State::Passed},
        {"the message of IN-1's stage 1", [](TImage& im, auto&, auto&) { stage(im, 1).setMessageCode(9); },
         State::Stale, State::Passed},
        {"a stage of IN-1 beyond its end", [](TImage& im, auto&, auto&) { stage(im, 4).setDuration(3); }, State::Stale,
         State::Passed},
        {"a relay of IN-2", [](TImage& im, auto&, auto&) { TAlarmRecord(im, 2).stage(1).setK2(true); }, State::Passed,
         State::Stale},
        {"the name of IN-1", [](TImage&, auto& n, auto&) { n[0] = "Пожар, 1 этаж"; }, State::Passed, State::Passed},
        {"the name of a zone IN-1 switches", [](TImage&, auto&, TSiteNames& s) { s.zones[0] = "Большой зал"; },
         State::Stale, State::Passed},
        {"the name of a zone no input switches", [](TImage&, auto&, TSiteNames& s) { s.zones[1] = "Холл"; },
         State::Passed, State::Passed},
        {"the relay module IN-1 switches taken away",
         [](TImage& im, auto&, auto&) { im.setValue(Layout::RelayModuleCount.at(Layout::SystemNode), 0); },
         State::Stale, State::Passed},
        {"a splitter added",
         [](TImage& im, auto&, auto&) { im.setValue(Layout::SplitterCount.at(Layout::SystemNode), 2); }, State::Passed,
         State::Passed},
        {"a console button's outputs",
         [](TImage& im, auto&, auto&) { im.setBit(Layout::buttonOffset(1), Layout::outputBit(1, 1), true); },
         State::Passed, State::Passed},
        {"IN-1 switched off and on again",
         [](TImage& im, auto&, auto&) {
             TAlarmRecord(im, 1).setEnabled(false);
             TAlarmRecord(im, 1).setEnabled(true);
         },
         State::Passed, State::Passed},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.name);
        TImage edited = image;
        TCauseMatrix::Names n = names;
        TSiteNames s = site;
        e.apply(edited, n, s);
        const TAcceptance a = TAcceptance::of(TAcceptancePlan::of(edited, n, s), passed);
        ASSERT_EQ(a.inputs.size(), 2u);
        EXPECT_EQ(a.inputs[0].state, e.in1);
        EXPECT_EQ(a.inputs[1].state, e.in2);
        // Stale results are shown, never counted.
        const int passedInputs = (e.in1 == State::Passed ? 1 : 0) + (e.in2 == State::Passed ? 1 : 0);
        EXPECT_EQ(a.passedInputs, passedInputs);
        EXPECT_EQ(a.allPassed(), passedInputs == 2);
        if (e.in1 == State::Stale) {
            EXPECT_EQ(a.inputs[0].passed, 0);
            EXPECT_GT(a.inputs[0].stale + static_cast<int>(a.inputs[0].gone.size()), 0);
        }
    }

    // A failure with its remark is a deviation; a later result of the same
    // effect replaces an earlier one; a result of an effect the input no
    // longer has is kept apart.
    std::vector<TAcceptanceResult> results = passed;
    results.push_back({1, 2, "RM1.K2", TAcceptanceResult::Verdict::Fail, passed[2].fingerprint,
                       "2026-12-08T09:00:00+03:00", "Петров", "не включилось"});
    results.push_back({1, 2, "LB2.OUT2", TAcceptanceResult::Verdict::Pass, passed[0].fingerprint, "", "", ""});
    results.push_back({2, 1, "LB2.OUT1", TAcceptanceResult::Verdict::Unchecked, passed[3].fingerprint,
                       "2026-12-08T11:00:00+03:00", "Петров", "нет доступа"});
    const TAcceptance a = TAcceptance::of(TAcceptancePlan::of(image, names, site), results);
    EXPECT_EQ(a.inputs[0].state, State::Failed);
    EXPECT_EQ(a.inputs[0].tested, 3);
    EXPECT_EQ(a.inputs[0].passed, 2);
    EXPECT_EQ(a.inputs[0].remarks, 1);
    EXPECT_EQ(a.inputs[0].tester, "Петров");
    EXPECT_EQ(a.inputs[0].time, "2026-12-08T09:00:00+03:00");
    ASSERT_EQ(a.inputs[0].gone.size(), 1u);
    EXPECT_EQ(a.inputs[0].gone[0].target, "LB2.OUT2");
    EXPECT_EQ(a.inputs[1].state, State::Untested);
    EXPECT_EQ(a.inputs[1].tested, 0);
    EXPECT_EQ(a.summary(), "Испытано входов: 1 из 2; годен: 0; замечаний: 2");
    ASSERT_EQ(a.deviations.size(), 1u);
    EXPECT_NE(a.text().find("IN-1, этап 2, RM1.K2: не годен — не включилось\n"), std::string::npos) << a.text();
    EXPECT_NE(a.json().find("\"state\": \"failed\""), std::string::npos);
}
