#pragma once
// What the acceptance test checks: for every switched-on input, each zone
// and relay it should switch in each running stage, with the stage's time
// from the trigger and, on a zone, the message it plays. Taken from the
// cause-and-effect matrix, so only zones and relays the system has count,
// each with the site's name for it.
//
// Each input carries a fingerprint of what it does: its 60-byte algorithm
// record, and each effect's stage, zone or relay and that zone's or relay's
// name. An edit that changes what the input does (its stages, times,
// messages, outputs and relays, a splitter or relay module taken away, a
// zone or relay it switches renamed) changes it; an edit of another input,
// of the input's own name or of a zone it does not switch leaves it.

#include "image/TSiteNames.h"
#include "report/TAlarmPlan.h"
#include "report/TCauseMatrix.h"

#include <string>
#include <vector>

class TAcceptancePlan {
public:
    struct Effect {
        int stage = 0;
        int start = 0;       // seconds from the trigger, or TAlarmPlan::Unknown
        std::string time;    // "00:30–01:30", "с 01:30, неограниченно", "?"
        std::string message; // on a zone: "Панель, сообщение 1"; empty on a relay
        TCauseMatrix::Kind kind = TCauseMatrix::Kind::Output;
        std::string key;  // "LB2.OUT3", "CU.K1", "RM1.K2"
        std::string head; // as the matrix heads its column: "LB2 OUT3"
        std::string name; // the site's name of the zone or relay; empty when unnamed
    };
    struct Input {
        int number = 0;
        std::string head;            // "IN-3 name"
        std::vector<Effect> effects; // by stage, then in the matrix's column order
        std::string fingerprint;     // 16 hex digits
    };

    using Names = TCauseMatrix::Names;

    // The switched-on inputs in order.
    std::vector<Input> inputs;

    static TAcceptancePlan of(const TImage& image, const Names& names, const TSiteNames& site);
    // The input numbered 1..24, or nullptr when it is switched off.
    const Input* input(int number) const;
    // What a results file calls a column's zone or relay.
    static std::string key(const TCauseMatrix::Column& column);
};
