#pragma once
// One result of the acceptance test: an input was tripped and one zone or
// relay it should switch in one stage was checked. Recorded by the test
// window and kt7tool, kept in the results file beside the project, and read
// by the acceptance model; none of it is in the controller's image. UTF-8.

#include <string>

struct TAcceptanceResult {
    enum class Verdict { Unchecked, Pass, Fail };

    int input = 0;      // 1..24
    int stage = 0;      // 1..5
    std::string target; // the names file's key: "LB2.OUT3", "CU.K1", "RM1.K2"
    Verdict verdict = Verdict::Unchecked;
    std::string fingerprint; // of what the input did when this was recorded
    std::string time;        // local, "2026-12-08T10:27:24+03:00"
    std::string tester;
    std::string note;

    // The same expected effect: input, stage and target.
    bool sameEffect(const TAcceptanceResult& other) const
    {
        return input == other.input && stage == other.stage && target == other.target;
    }

    // "годен", "не годен", "не проверено": as the window, the file and
    // kt7tool word a verdict.
    static const char* word(Verdict verdict)
    {
        switch (verdict) {
        case Verdict::Pass: return "годен";
        case Verdict::Fail: return "не годен";
        case Verdict::Unchecked: break;
        }
        return "не проверено";
    }

    bool operator==(const TAcceptanceResult&) const = default;
};
