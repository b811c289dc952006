// What each input does when, read from planted images: the running stages
// with their times from the trigger, the stages that never run, and the
// cause-and-effect matrix drawn from them.

#include "image/TAlarmRecord.h"
#include "report/TAlarmPlan.h"
#include "report/TCauseMatrix.h"

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

TStageRecord stage(TImage& image, int k)
{
    return TAlarmRecord(image, 1).stage(k);
}

struct Case {
    const char* name;
    std::function<void(TImage&)> plant;
    std::vector<std::string> cells; // "row|column|stages" of every cell that is not empty
    std::vector<std::string> times; // "stage: start+duration" of IN-1, "u" unlimited, "?" unknown
    std::vector<int> idle;          // stages of IN-1 that never run
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

} // namespace

TEST(AlarmPlan, RunningStagesTimesAndMatrixCellsOfPlantedImages)
{
    const std::vector<Case> cases = {
        {"a delay, a limited stage, then an unlimited one",
         [](TImage&) {},
         {"IN-1|LB1 OUT1|1", "IN-1|Реле 1.2|2", "IN-1|K1|1"},
         {"1: 30+60", "2: 90+u"},
         {}},
        {"a stage beyond the unlimited one never runs",
         [](TImage& im) {
             stage(im, 3).setDuration(8);
             stage(im, 3).setOutputBit(Layout::outputBit(2, 1), true);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|Реле 1.2|2", "IN-1|K1|1"},
         {"1: 30+60", "2: 90+u"},
         {3}},
        {"a stage beyond one that is off never runs",
         [](TImage& im) {
             stage(im, 2).setDuration(4);
             stage(im, 4).setDuration(4);
             stage(im, 4).setOutputBit(Layout::outputBit(2, 2), true);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|Реле 1.2|2", "IN-1|K1|1"},
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
         {"IN-1|LB1 OUT1|1, 3", "IN-1|LB2 OUT4|3", "IN-1|K1|1"},
         {"1: 30+60", "2: 90+60", "3: 150+30"},
         {}},
        {"outputs of absent splitters and relays of absent modules have no column",
         [](TImage& im) {
             stage(im, 1).setOutputBit(Layout::outputBit(3, 1), true);
             stage(im, 2).setRelayBit(Layout::relayBit(2, 1), true);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|Реле 1.2|2", "IN-1|K1|1"},
         {"1: 30+60", "2: 90+u"},
         {}},
        {"counts beyond their lists show every splitter and relay module",
         [](TImage& im) {
             im.setValue(Layout::SplitterCount.at(Layout::SystemNode), 13);
             im.setValue(Layout::RelayModuleCount.at(Layout::SystemNode), 7);
             stage(im, 1).setOutputBit(Layout::outputBit(12, 4), true);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|LB12 OUT4|1", "IN-1|Реле 1.2|2", "IN-1|K1|1"},
         {"1: 30+60", "2: 90+u"},
         {},
         48 + 24 + 2},
        {"stage 1 off: nothing runs", [](TImage& im) { stage(im, 1).setDuration(0); }, {}, {}, {2}},
        {"a duration code above 240 runs without a limit",
         [](TImage& im) {
             stage(im, 1).setDuration(241);
             stage(im, 2).setDuration(4);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|K1|1"},
         {"1: 30+u"},
         {2}},
        {"a delay without a list entry leaves the times unknown",
         [](TImage& im) { TAlarmRecord(im, 1).setDelayCode(27); },
         {"IN-1|LB1 OUT1|1", "IN-1|Реле 1.2|2", "IN-1|K1|1"},
         {"1: ?+60", "2: ?+u"},
         {}},
        {"the longest delay and stage",
         [](TImage& im) {
             TAlarmRecord(im, 1).setDelayCode(26);
             stage(im, 1).setDuration(240);
         },
         {"IN-1|LB1 OUT1|1", "IN-1|Реле 1.2|2", "IN-1|K1|1"},
         {"1: 450+3600", "2: 4050+u"},
         {}},
        {"an algorithm switched off has no row", [](TImage& im) { TAlarmRecord(im, 1).setEnabled(false); }, {}, {}, {}},
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
              "LB1 OUT2, LB1 OUT3, LB1 OUT4, LB2 OUT1, LB2 OUT2, LB2 OUT3, LB2 OUT4, Реле 1.1, "
              "Реле 1.3, Реле 1.4, K2");
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
    EXPECT_NE(json.find("\"cells\": {\"LB1 OUT1\": [1], \"Реле 1.2\": [2], \"K1\": [1]}"), std::string::npos);
}
