#pragma once
// What each activation input does when: for a switched-on algorithm, its
// delay and the stages that run, each with its start and end counted from
// the trigger, its message, and the outputs and relays it switches.
//
// A stage runs when it is on and every stage before it runs for a limited
// time: the first stage that is off or unlimited ends the run, and a stage
// switched on beyond it never runs. The configuration check, the
// cause-and-effect matrix and the timelines all take the running stages
// from here.

#include "image/ImageLayout.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

class TAlarmPlan {
public:
    static constexpr int Unlimited = -1; // a running time without a limit
    static constexpr int Unknown = -1;   // a time after a delay code without a list entry

    // The outputs and relays the system has. A stored count without a list
    // entry stands for the whole list: nothing the image switches is hidden.
    struct Composition {
        int splitters = 1;
        int relayModules = 0;
        int messageModules = 0;
        static Composition of(const TImage& image);
    };

    struct Stage {
        int number = 0;   // 1..5
        int start = 0;    // seconds from the trigger, or Unknown
        int duration = 0; // seconds, or Unlimited
        uint8_t durationCode = 0;
        uint8_t messageCode = 0;
        std::bitset<Layout::OutputBits> outputs; // every bit of the mask, absent splitters included
        std::bitset<Layout::RelayBits> relays;   // every bit, absent relay modules included
        bool k1 = false;
        bool k2 = false;

        bool unlimited() const { return duration == Unlimited; }
        // Seconds from the trigger to the end, or Unknown (an unknown start
        // or no limit).
        int end() const { return start == Unknown || unlimited() ? Unknown : start + duration; }
        // Outputs of the splitters the system has; relays of its relay
        // modules, with K1 and K2.
        int outputCount(const Composition& c) const;
        int relayCount(const Composition& c) const;
        // "00:30–01:00", "с 01:00, неограниченно", or "?" after an unknown delay.
        std::string span() const;
        // "Панель, сообщение 1".
        std::string message() const;
    };

    struct Input {
        int number = 0; // 1..24
        bool enabled = false;
        uint8_t delayCode = 0;
        int delay = 0; // seconds, or Unknown
        std::vector<Stage> running;
        // Stages switched on that never run: they lie beyond endedAt.
        std::vector<int> idle;
        // The stage that ended the run (off or unlimited); 0 when all five
        // run for a limited time.
        int endedAt = 0;

        // Seconds of limited time: the delay and every limited stage.
        int limitedSpan() const;
        // "этапа 3, который выключен" or "этапа 2, который работает
        // неограниченно": what ended the run; empty when nothing did.
        std::string endedText() const;
        // "Не выполняются: этапы 4, 5 (после этапа 3, который выключен)", or
        // empty when every stage switched on runs.
        std::string idleText() const;
    };

    // The plan of one input, switched on or off (an input that is off runs
    // nothing: its plan has no running stages).
    static Input of(const TImage& image, int input);
    // The plans of every input, IN-1 .. IN-24.
    static std::vector<Input> all(const TImage& image);

private:
    // The records' accessors take a writable image; nothing is written.
    static Input read(TImage& image, int input);
};
