#pragma once
// The commissioning pack: what a site's handover document says, made from
// the configuration itself. The title facts (site, project, controller,
// date, program, engineer), the verification against the controller (equal,
// its differences, or not verified) with the backup of what the controller
// held before the last write, the configuration check's findings, the
// cause-and-effect matrix with the zones' and relays' names, each
// switched-on input's stages on one time scale, the zones of the console
// buttons and paging groups, and who signs. TPackDocument lays it out; the
// window and kt7tool only gather the input and save the result. UTF-8.

#include "report/TAlarmPlan.h"
#include "report/TReportInput.h"

#include <optional>
#include <string>
#include <vector>

class TCommissioningPack {
public:
    // The controller as it answered when it was read for the pack.
    struct Controller {
        std::string identification; // "S/N-KT7S (01.02.03)"
        std::string serial;         // "KT7S010203"
        TImage image;               // what it holds
        std::string readAt;         // local date and time of the read
    };
    // A kept image of what the controller held before a write.
    struct Backup {
        std::string path;
        std::string time; // as the backup store names it (UTC)
    };
    struct Input {
        // The project: image, algorithm names, name, site, and the date
        // and time the pack is made.
        TReportInput project;
        std::string projectFile; // the image file, or empty for an unsaved project
        std::string program;     // "kt7config 1.0.0"
        // The algorithm names come from a names file; unknown names are
        // neither checked nor compared.
        bool namesKnown = true;
        std::optional<Controller> controller;
        std::optional<Backup> backupBeforeWrite;
    };

    struct Fact {
        std::string label;
        std::string value;
    };
    enum class Verdict { NotVerified, Equal, Differs };
    struct Finding {
        bool error = false;
        std::string where;
        std::string text;
    };
    // A column of the matrix: an output of a splitter the system has, a
    // relay of its relay modules, or K1, K2 of the controller.
    struct Column {
        std::string unit;  // "Zarna KT7-LB №2", "Реле в KT7-CU", "Релейный модуль №1"
        int unitIndex = 0; // columns of one unit share it, in order
        std::string label; // "OUT3", "K1"
        std::string name;  // what the site calls it, or empty
    };
    struct Row {
        std::string head; // "IN-3"
        std::string name; // the algorithm's name
        // Per column: one line per running stage that switches it,
        // "1: 00:30–01:30" or "2: с 01:30" for a stage without a limit.
        std::vector<std::vector<std::string>> cells;
    };
    struct Timeline {
        TAlarmPlan::Input plan;
        std::string head; // "IN-3 name"
    };
    struct Zone {
        std::string head; // "Кнопка 1", "Группа 1 (Код-201)", "Фоновая музыка"
        std::vector<std::string> outputs; // "Zarna KT7-LB №1 OUT2 — 2 этаж, коридор"
    };

    static TCommissioningPack of(const Input& input);

    // Words of the verification.
    static constexpr const char* NotVerifiedText = "Конфигурация не сверена с контроллером: при составлении "
                                                   "документа контроллер не был подключен.";
    static constexpr const char* NoFindingsText = "Замечаний нет.";

    std::string title;
    std::string site; // the object's name, or the project's where it has none
    std::vector<Fact> facts;
    Verdict verdict = Verdict::NotVerified;
    std::string verification; // the sentence that says it
    // The differences in the words of kt7tool diff, the project on the
    // left of the arrow and in the "-" lines, the controller on the right.
    std::vector<std::string> differences;
    std::string backup; // where the controller's earlier configuration is kept, or empty
    std::vector<Finding> findings;
    std::vector<Column> columns;
    std::vector<Row> rows;
    TAlarmPlan::Composition composition;
    std::vector<Timeline> timelines;
    int timelineSpan = 0; // seconds of limited time the shared scale shows
    std::vector<Zone> zones;
    std::string engineer;

    // "1: 00:30–01:30", "2: с 01:30", or "1: ?" after a delay without a list entry.
    static std::string stageTime(const TAlarmPlan::Stage& stage);
};
