#include "image/TAlarmLists.h"

#include <cstdio>
#include <stdexcept>

namespace {
// The delay list skips from 04:00 straight to 05:15.
constexpr int LastEarlyDelay = 16;
constexpr int LateDelayStart = 5 * 60 + 15;
} // namespace

std::string TAlarmLists::minutesSeconds(int seconds)
{
    char text[24];
    std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
    return text;
}

int TAlarmLists::delaySeconds(int code)
{
    if (code < 0 || code >= DelayEntries)
        throw std::out_of_range("delay code has no list entry");
    return code <= LastEarlyDelay ? code * 15 : LateDelayStart + (code - LastEarlyDelay - 1) * 15;
}

std::string TAlarmLists::delayEntry(int code)
{
    return minutesSeconds(delaySeconds(code));
}

std::string TAlarmLists::durationEntry(int entry)
{
    if (entry < 0 || entry >= DurationEntries)
        throw std::out_of_range("duration code has no list entry");
    if (entry == UnlimitedEntry)
        return "неограниченно";
    return minutesSeconds(durationSeconds(static_cast<uint8_t>(entry)));
}
