#pragma once
// The cause-and-effect matrix of a configuration: for every switched-on
// alarm algorithm, in which of its running stages it switches each output of
// the splitters the system has, each relay of its relay modules and the
// controller's K1 and K2; and the outputs of the console buttons, the paging
// groups and the background music under the same columns. Read from the
// image through TAlarmPlan; written as text for a terminal, as CSV for a
// spreadsheet and as JSON. UTF-8.

#include "image/TSiteNames.h"
#include "report/TAlarmPlan.h"
#include "report/TConfigFinding.h"

#include <array>
#include <string>
#include <vector>

class TCauseMatrix {
public:
    using Names = std::array<std::string, Layout::InputCount>;

    enum class Kind { Output, Relay, K1, K2 };
    struct Column {
        Kind kind = Kind::Output;
        int unit = 0;      // splitter 1..12 or relay module 1..6
        int index = 0;     // OUT 1..4 or relay 1..4
        std::string head;  // columnName()
        bool used = false; // some running stage switches it
        std::string name;  // what the site calls the zone or relay; empty when unnamed

        // The head, and the name in parentheses where there is one.
        std::string named() const { return name.empty() ? head : head + " (" + name + ")"; }
    };
    struct Row {
        TAlarmPlan::Input plan;
        std::string head;                    // "IN-3 name"
        std::string cause;                   // what triggers the input, as the site has it; empty when unnamed
        std::vector<std::vector<int>> cells; // per column: the stages that switch it
        bool switches = false;               // some cell is not empty
    };
    // A console button, a paging group or the background music.
    struct ZoneRow {
        TConfigFinding::Node node = TConfigFinding::Node::Button; // Button, Group or Settings (music)
        int number = 0;
        std::string head;        // "Кнопка 1", "Группа 1 (Код-201)", "Фоновая музыка"
        std::vector<bool> cells; // per column
    };

    static constexpr const char* Corner = "Вход";
    static constexpr const char* ZoneCorner = "Зона";
    static constexpr const char* ZoneMark = "X";

    static TCauseMatrix of(const TImage& image, const Names& names, const TSiteNames& site = {});
    // The head of a column: "LB2 OUT3" for output 3 of splitter 2; a relay
    // as the report names it, "Релейный модуль №1 K2" (unit 1..6, index
    // 1..4), and the controller's own "Реле в KT7-CU K1" (K1, K2). Every
    // output that names a column takes the name from here.
    static std::string columnName(Kind kind, int unit, int index);

    TAlarmPlan::Composition composition;
    std::vector<Column> columns;
    std::vector<Row> rows;
    std::vector<ZoneRow> zones;
    // What the site calls each message, by message code; empty when unnamed.
    std::array<std::string, TSiteNames::MessageCodes> messages;

    // The stages as a cell shows them: "1, 2", or empty.
    std::string cell(size_t row, size_t column) const;
    // What a cell means, one line each: the input and the effect, then each
    // stage with its time from the trigger (and the message, with its name
    // in parentheses where it has one, on an output).
    std::string detail(size_t row, size_t column) const;
    // "LB2 OUT3, Релейный модуль №1 K2": the columns no alarm switches.
    std::string unusedColumns() const;
    // "IN-3, IN-5": the algorithms that switch nothing.
    std::string idleRows() const;

    // Aligned columns, the zones below the algorithms, then what no alarm
    // reaches, what switches nothing and the names of the named columns.
    std::string text() const;
    // One header row and one row per algorithm, cells as shown, separated
    // by ";", lines ending in CR LF, UTF-8 with a byte-order mark. A named
    // column's head carries its name.
    std::string csv() const;
    // {"columns": [...], "inputs": [...], "zones": [...]}; see kt7tool matrix --help.
    std::string json() const;
    // One field of a CSV line, quoted when it holds ";", a quote or a line break.
    static std::string csvField(const std::string& text);
};
