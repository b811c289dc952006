// The configuration check: one planted fault per rule in a configuration
// that is otherwise clean, leftovers the editor keeps included.

#include "image/TAlarmRecord.h"
#include "report/TConfigCheck.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Names = TConfigCheck::Names;

// Four splitters, a console, paging and music, one message module and one
// relay module. IN-1 runs stage 1 (30 s, MS3-1, an output) and stage 2
// (unlimited, an output and a relay); beyond them, and in the switched-off IN-2, lie
// leftovers the editor keeps: outputs of absent splitters, absent relay
// modules and message modules, codes without a list entry.
TImage clean()
{
    TImage image;
    image.setByte(Layout::CompositionByte, 0x37); // 4 splitters, 1 console, paging, music
    image.setByte(Layout::ModuleByte, 0x48);      // 1 message module, 1 relay module
    image.setBit(Layout::MusicMask, Layout::outputBit(1, 1), true);
    image.setBit(Layout::buttonOffset(1), Layout::outputBit(2, 1), true);
    image.setBit(Layout::groupOffset(1), Layout::outputBit(3, 4), true);
    TAlarmRecord in1(image, 1);
    in1.setEnabled(true);
    in1.setDelayCode(26);
    TStageRecord s1 = in1.stage(1);
    s1.setDuration(2);
    s1.setMessageCode(8);
    s1.setOutputBit(Layout::outputBit(4, 4), true);
    TStageRecord s2 = in1.stage(2);
    s2.setDuration(255);
    s2.setOutputBit(Layout::outputBit(4, 3), true);
    s2.setRelayBit(Layout::relayBit(1, 4), true);
    for (int k = 3; k <= 5; ++k) {
        TStageRecord left = in1.stage(k);
        left.setMessageCode(31);
        left.setOutputBit(Layout::outputBit(12, 1), true);
        left.setRelayBit(Layout::relayBit(6, 1), true);
    }
    TAlarmRecord in2(image, 2);
    in2.setDelayCode(31);
    in2.stage(1).setDuration(0);
    in2.stage(2).setDuration(250);
    in2.stage(2).setMessageCode(31);
    in2.stage(2).setOutputBit(Layout::outputBit(9, 2), true);
    return image;
}

Names named()
{
    Names names;
    names[0] = "Пожар";
    names[2] = "Эвакуация";
    return names;
}

struct Case {
    const char* name;
    std::function<void(TImage&, Names&)> plant;
    std::vector<std::string> expected; // "severity|where|id"
};

std::vector<std::string> found(const TImage& image, const Names* names)
{
    std::vector<std::string> out;
    for (const TConfigFinding& f : TConfigCheck::run(image, names))
        out.push_back(std::string(TConfigCheck::severityWord(f.severity)) + "|" + f.where() + "|" + f.id);
    return out;
}

TStageRecord stage(TImage& image, int input, int k)
{
    return TAlarmRecord(image, input).stage(k);
}

} // namespace

TEST(ConfigCheck, EachRuleFindsItsPlantedFaultAndNothingElse)
{
    const std::vector<Case> cases = {
        {"clean", [](TImage&, Names&) {}, {}},
        {"splitter count beyond the list",
         [](TImage& im, Names&) { im.setValue(Layout::SplitterCount.at(Layout::SystemNode), 12); },
         {"error|Конфигурация системы|splitter-count"}},
        {"relay module count beyond the list",
         [](TImage& im, Names&) { im.setValue(Layout::RelayModuleCount.at(Layout::SystemNode), 7); },
         {"error|Конфигурация системы|relay-count"}},
        {"input on after one that is off",
         [](TImage& im, Names&) {
             TAlarmRecord in3(im, 3);
             in3.setEnabled(true);
             in3.stage(1).setDuration(4);
             in3.stage(1).setK2(true);
         },
         {"error|IN-3|input-after-off"}},
        {"stage on after one that is off",
         [](TImage& im, Names&) {
             stage(im, 1, 2).setDuration(0);
             stage(im, 1, 4).setDuration(8);
         },
         {"error|IN-1, Этап 4|stage-after-stop"}},
        {"stage on after an unlimited one",
         [](TImage& im, Names&) { stage(im, 1, 3).setDuration(1); },
         {"error|IN-1, Этап 3|stage-after-stop"}},
        {"stage 1 of 15 s",
         [](TImage& im, Names&) { stage(im, 1, 1).setDuration(1); },
         {"error|IN-1, Этап 1|stage1-short"}},
        {"stage 1 off: nothing runs, and stage 2 lies beyond the break",
         [](TImage& im, Names&) { stage(im, 1, 1).setDuration(0); },
         {"error|IN-1, Этап 1|stage1-short", "error|IN-1, Этап 2|stage-after-stop"}},
        {"delay code without an entry",
         [](TImage& im, Names&) { TAlarmRecord(im, 1).setDelayCode(27); },
         {"error|IN-1|delay-code"}},
        {"duration code without an entry",
         [](TImage& im, Names&) { stage(im, 1, 2).setDuration(242); },
         {"error|IN-1, Этап 2|duration-code"}},
        {"message of an absent message module",
         [](TImage& im, Names&) { im.setValue(Layout::MessageModules.at(Layout::SystemNode), 0); },
         {"error|IN-1, Этап 1|message-module-absent"}},
        {"message of an absent message module on no output: K1 alone silences nothing",
         [](TImage& im, Names&) {
             im.setValue(Layout::MessageModules.at(Layout::SystemNode), 0);
             stage(im, 1, 1).setOutputBit(Layout::outputBit(4, 4), false);
             stage(im, 1, 1).setK1(true);
         },
         {"warning|IN-1, Этап 1|message-module-absent", "warning|IN-1, Этап 1|stage-silent"}},
        {"algorithm that switches nothing",
         [](TImage& im, Names&) {
             stage(im, 1, 1).setOutputBit(Layout::outputBit(4, 4), false);
             stage(im, 1, 2).setRelayBit(Layout::relayBit(1, 4), false);
             stage(im, 1, 2).setOutputBit(Layout::outputBit(4, 3), false);
             stage(im, 1, 2).setOutputBit(Layout::outputBit(5, 1), true); // first absent: switches nothing
         },
         {"warning|IN-1|input-does-nothing", "warning|IN-1, Этап 2|stage-output-absent"}},
        {"running stage that switches nothing while another one does",
         [](TImage& im, Names&) {
             stage(im, 1, 2).setDuration(240);
             stage(im, 1, 2).setRelayBit(Layout::relayBit(1, 4), false);
             stage(im, 1, 2).setOutputBit(Layout::outputBit(4, 3), false);
         },
         {"warning|IN-1, Этап 2|stage-does-nothing"}},
        {"an unlimited stage with its message and relay but no output, while stage 1 is heard",
         [](TImage& im, Names&) { stage(im, 1, 2).setOutputBit(Layout::outputBit(4, 3), false); },
         {"warning|IN-1, Этап 2|stage-silent"}},
        {"a stage heard only on outputs of absent splitters is heard nowhere",
         [](TImage& im, Names&) {
             stage(im, 1, 2).setOutputBit(Layout::outputBit(4, 3), false);
             stage(im, 1, 2).setOutputBit(Layout::outputBit(5, 1), true);
         },
         {"warning|IN-1, Этап 2|stage-output-absent", "warning|IN-1, Этап 2|stage-silent"}},
        {"an input that switches relays alone is heard nowhere and meant so",
         [](TImage& im, Names&) {
             stage(im, 1, 1).setOutputBit(Layout::outputBit(4, 4), false);
             stage(im, 1, 1).setK1(true);
             stage(im, 1, 2).setOutputBit(Layout::outputBit(4, 3), false);
         },
         {}},
        {"the list's own unlimited entry, code 241", [](TImage& im, Names&) { stage(im, 1, 2).setDuration(241); }, {}},
        {"music on without an output",
         [](TImage& im, Names&) { im.setBit(Layout::MusicMask, Layout::outputBit(1, 1), false); },
         {"warning|Функциональные настройки|music-no-output"}},
        {"a console without any button assigned",
         [](TImage& im, Names&) { im.setBit(Layout::buttonOffset(1), Layout::outputBit(2, 1), false); },
         {"warning|Прогр. кнопок пульта  диктора|console-no-button"}},
        {"paging on without any group assigned",
         [](TImage& im, Names&) { im.setBit(Layout::groupOffset(1), Layout::outputBit(3, 4), false); },
         {"warning|Прогр. групп телеф. пейджинга|paging-no-group"}},
        {"output of an absent splitter in a running stage",
         [](TImage& im, Names&) { stage(im, 1, 1).setOutputBit(Layout::outputBit(5, 1), true); },
         {"warning|IN-1, Этап 1|stage-output-absent"}},
        {"relay of an absent relay module in a running stage",
         [](TImage& im, Names&) { stage(im, 1, 2).setRelayBit(Layout::relayBit(2, 1), true); },
         {"warning|IN-1, Этап 2|stage-relay-absent"}},
        {"button output of an absent splitter",
         [](TImage& im, Names&) { im.setBit(Layout::buttonOffset(12), Layout::outputBit(12, 4), true); },
         {"warning|Кнопка 12|button-output-absent"}},
        {"group output of an absent splitter",
         [](TImage& im, Names&) { im.setBit(Layout::groupOffset(2), Layout::outputBit(5, 1), true); },
         {"warning|Группа 2 (Код-202)|group-output-absent"}},
        {"music output of an absent splitter",
         [](TImage& im, Names&) { im.setBit(Layout::MusicMask, Layout::outputBit(6, 3), true); },
         {"warning|Функциональные настройки|music-output-absent"}},
        {"buttons assigned without a console",
         [](TImage& im, Names&) {
             im.setValue(Layout::ConsoleCount.at(Layout::SystemNode), 0);
             im.setBit(Layout::buttonOffset(12), Layout::outputBit(12, 4), true); // not an absent output then
         },
         {"warning|Прогр. кнопок пульта  диктора|buttons-without-console"}},
        {"groups assigned with paging off",
         [](TImage& im, Names&) { im.setValue(Layout::PagingFlag.at(Layout::SystemNode), 0); },
         {"warning|Прогр. групп телеф. пейджинга|groups-without-paging"}},
        {"switched-on algorithm without a name",
         [](TImage&, Names& names) { names[0] = "  "; },
         {"warning|IN-1|input-no-name"}},
        {"a name of no-break and other blanks is no name",
         [](TImage&, Names& names) { names[0] = "\u00a0\u00a0\t\u3000"; },
         {"warning|IN-1|input-no-name"}},
    };
    for (const Case& c : cases) {
        TImage image = clean();
        Names names = named();
        c.plant(image, names);
        EXPECT_EQ(found(image, &names), c.expected) << c.name;
    }

    // A new project has nothing to say, with names or without.
    const Names none;
    EXPECT_TRUE(found(TImage(), &none).empty());
    EXPECT_TRUE(found(TImage(), nullptr).empty());
    // Without names the names are not looked at.
    EXPECT_TRUE(found(clean(), nullptr).empty());
}

TEST(ConfigCheck, FindingsAsLinesAndAsJson)
{
    TImage image = clean();
    stage(image, 1, 3).setDuration(1);
    TAlarmRecord(image, 1).setDelayCode(30);
    for (int r = 1; r <= 3; ++r)
        stage(image, 1, 2).setRelayBit(Layout::relayBit(2, r), true);
    const Names names = named();
    const auto findings = TConfigCheck::run(image, &names);
    EXPECT_EQ(TConfigCheck::errors(findings), 2);
    EXPECT_EQ(TConfigCheck::text(findings),
              "error: IN-1: Время задержки (мин:сек) вне списка 00:00..07:30 (код 30)\n"
              "warning: IN-1, Этап 2: Реле модулей, которых нет в системе: Релейный модуль №2 (Кол-во доп. релейных "
              "модулей: 1)\n"
              "error: IN-1, Этап 3: Этап включён после этапа 2, который работает неограниченно\n");
    EXPECT_EQ(TConfigCheck::json(findings),
              "{\"findings\": [\n"
              "  {\"severity\": \"error\", \"id\": \"delay-code\", \"node\": {\"kind\": \"input\", \"input\": 1}, "
              "\"where\": \"IN-1\", \"text\": \"Время задержки (мин:сек) вне списка 00:00..07:30 (код 30)\"},\n"
              "  {\"severity\": \"warning\", \"id\": \"stage-relay-absent\", \"node\": {\"kind\": \"stage\", "
              "\"input\": 1, \"stage\": 2}, \"where\": \"IN-1, Этап 2\", \"text\": \"Реле модулей, которых нет в "
              "системе: Релейный модуль №2 (Кол-во доп. релейных модулей: 1)\"},\n"
              "  {\"severity\": \"error\", \"id\": \"stage-after-stop\", \"node\": {\"kind\": \"stage\", \"input\": 1, "
              "\"stage\": 3}, \"where\": \"IN-1, Этап 3\", \"text\": \"Этап включён после этапа 2, который работает "
              "неограниченно\"}\n]}\n");
    EXPECT_EQ(TConfigCheck::json({}), "{\"findings\": []}\n");
}
