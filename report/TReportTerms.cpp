#include "report/TReportTerms.h"

#include "image/ImageLayout.h"

std::string TReportTerms::unitLabel(int unit)
{
    if (unit < Layout::Splitters)
        return "Zarna\nKT7-LB\n№" + std::to_string(unit + 1);
    if (unit == ControllerRelayUnit)
        return "Реле в\nKT7-CU";
    return "Релейный\nмодуль\n№" + std::to_string(unit - ControllerRelayUnit);
}

std::string TReportTerms::rowLabel(int unit, int row)
{
    return (unit < Layout::Splitters ? "OUT" : "K") + std::to_string(row);
}

std::string TReportTerms::unitName(int unit)
{
    std::string name = unitLabel(unit);
    for (char& c : name)
        if (c == '\n')
            c = ' ';
    return name;
}

std::string TReportTerms::outputName(int splitter, int output)
{
    const int unit = splitter - 1;
    return unitName(unit) + " " + rowLabel(unit, output);
}

std::string TReportTerms::relayName(int module, int relay)
{
    const int unit = ControllerRelayUnit + module;
    return unitName(unit) + " " + rowLabel(unit, relay);
}

std::string TReportTerms::messageSource(int code)
{
    static const char* const sources[] = {"Панель", "MS3-1", "MS3-2", "MS3-3"};
    return sources[(code / 8) & 3];
}

std::string TReportTerms::messageName(int code)
{
    return messageSource(code) + ", сообщение " + std::to_string(code % 8 + 1);
}

std::string TReportTerms::nameLabel(const TSiteNames::Entry& entry)
{
    using Part = TSiteNames::Part;
    const int n = entry.number;
    switch (entry.part) {
    case Part::Zone: return outputName(n / Layout::OutputsPerSplitter + 1, n % Layout::OutputsPerSplitter + 1);
    case Part::ControllerRelay: return relayName(0, n);
    case Part::Relay: return relayName(n / Layout::RelaysPerModule + 1, n % Layout::RelaysPerModule + 1);
    case Part::Message: return messageName(n);
    case Part::Site:
    case Part::Cause: break;
    }
    return entry.label;
}
