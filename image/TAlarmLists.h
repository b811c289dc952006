#pragma once
// The delay list and the duration list, as the editor shows them and the report
// prints them. Texts are UTF-8.

#include <cstdint>
#include <string>

class TAlarmLists {
public:
    static constexpr int DelayEntries = 27;
    static constexpr int DurationEntries = 242;
    static constexpr int UnlimitedEntry = 241;

    // "%02d:%02d" of minutes and seconds, as both lists show a time.
    static std::string minutesSeconds(int seconds);
    // The time a delay code 0..26 stands for; throws std::out_of_range for another.
    static int delaySeconds(int code);
    // Entry of a delay code 0..26 ("00:00" .. "04:00", "05:15" .. "07:30").
    static std::string delayEntry(int code);
    // Entry 0..240 is "%02d:%02d" of code x 15 s; entry 241 is "неограниченно".
    static std::string durationEntry(int entry);
    // The list entry that shows a stored duration code (241..255 show as unlimited).
    static int entryForDuration(uint8_t code) { return code > 240 ? UnlimitedEntry : code; }
    // Seconds a stage of a timed duration code 1..240 runs.
    static int durationSeconds(uint8_t code) { return code * 15; }
    // The duration code stored for a list entry.
    static uint8_t durationForEntry(int entry) { return entry == UnlimitedEntry ? 255 : static_cast<uint8_t>(entry); }
};
