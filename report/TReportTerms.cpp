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
