#pragma once
// The words of the configuration report, shared by the report itself and by
// the texts that describe a configuration line by line. UTF-8.

#include "image/TSiteNames.h"

#include <string>

class TReportTerms {
public:
    // System composition table, rows 1..4.
    static constexpr const char* SplitterCount = "Кол-во раветвителей Zarna KT7-LB";
    static constexpr const char* ConsoleCount = "Кол-во пультов диктора Zarna KT7-PQ";
    static constexpr const char* MessageModuleCount = "Кол-во доп. модулей сообщений Zarna KT7-MS3";
    static constexpr const char* RelayModuleCount = "Кол-во доп. релейных модулей";
    // Functional settings table.
    static constexpr const char* PhonePaging = "Телефонный аудио пейджинг";
    static constexpr const char* Music = "Фоновая музыка";
    static constexpr const char* Present = "есть";
    static constexpr const char* Absent = "нет";
    // Algorithm map.
    static constexpr const char* Delay = "Время задержки (мин:сек)";
    static constexpr const char* Duration = "Время работы этапа";
    static constexpr const char* Source = "Источник сообщения";
    static constexpr const char* Number = "Номер сообщения";

    static constexpr int ControllerRelayUnit = 12;

    // Label of a table block's unit: splitters 0..11, the controller's relays
    // 12, relay modules 13..18. Lines are separated by "\n".
    static std::string unitLabel(int unit);
    // "OUT1".."OUT4" for splitters, "K1".."K4" for relays; row 1..4.
    static std::string rowLabel(int unit, int row);
    // A unit's label on one line: "Zarna KT7-LB №2", "Реле в KT7-CU",
    // "Релейный модуль №1".
    static std::string unitName(int unit);
    // "Zarna KT7-LB №2 OUT3": output 1..4 of splitter 1..12.
    static std::string outputName(int splitter, int output);
    // "Релейный модуль №1 K2": relay 1..4 of relay module 1..6; module 0 is
    // the controller itself, relay 1 or 2: "Реле в KT7-CU K1". Every text
    // that names a relay takes its name from here.
    static std::string relayName(int module, int relay);
    // "Панель", "MS3-1".."MS3-3" for a message code 0..31.
    static std::string messageSource(int code);
    // "Панель, сообщение 2", "MS3-1, сообщение 8": the message of a code 0..31.
    static std::string messageName(int code);
    // A name's label in these words: the site's fields and the inputs as the
    // list of names has them, a zone as outputName(), a relay as
    // relayName(), a message as messageName(). Whatever lists the site's
    // names (the names window, kt7tool show, the pack) labels them so.
    static std::string nameLabel(const TSiteNames::Entry& entry);
};
