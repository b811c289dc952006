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

std::string TReportTerms::messageSource(int code)
{
    static const char* const sources[] = {"Панель", "MS3-1", "MS3-2", "MS3-3"};
    return sources[(code / 8) & 3];
}
