#pragma once
// The acceptance test as it stands: the expected effects of every
// switched-on input (TAcceptancePlan) with the results recorded for them.
// A result counts only while its fingerprint is the input's: one recorded
// on what the input did before an edit is stale («устарел»), kept and shown
// but never counted as passed. For each input its state, its counts and
// who tested it when; for the whole site the inputs tested and passed, the
// remarks and the deviations (every «не годен» with its remark).

#include "image/TAcceptanceResult.h"
#include "report/TAcceptancePlan.h"

#include <optional>
#include <string>
#include <vector>

class TAcceptance {
public:
    using Verdict = TAcceptanceResult::Verdict;
    enum class State { Untested, Passed, Failed, Stale };

    struct Row {
        TAcceptancePlan::Effect effect;
        // The result recorded last for this effect, current or stale.
        std::optional<TAcceptanceResult> result;
        bool stale = false;

        // The verdict on what the input does now: Unchecked for none or a stale one.
        Verdict verdict() const { return result && !stale ? result->verdict : Verdict::Unchecked; }
    };
    struct Input {
        int number = 0;
        std::string head;
        std::string fingerprint;
        std::vector<Row> rows;
        // Results of effects the input no longer has: stale, kept and shown.
        std::vector<TAcceptanceResult> gone;
        State state = State::Untested;
        int tested = 0;  // effects with a current «годен» or «не годен»
        int passed = 0;  // of them «годен»
        int remarks = 0; // current results with a remark
        int stale = 0;   // effects whose last result is stale
        // Of the input's first current result: who tested and when.
        std::string tester;
        std::string time;

        int effects() const { return static_cast<int>(rows.size()); }
        // Every effect has a current «годен» or «не годен».
        bool complete() const { return !rows.empty() && tested == effects(); }
    };
    struct Deviation {
        int input = 0;
        std::string inputHead;
        Row row;
    };

    std::vector<Input> inputs;
    int testedInputs = 0; // inputs whose every effect has a current result
    int passedInputs = 0;
    int remarks = 0;
    std::vector<Deviation> deviations;

    static TAcceptance of(const TAcceptancePlan& plan, const std::vector<TAcceptanceResult>& results);

    // Every switched-on input passed on the configuration as it is; false
    // when no input is switched on, for then nothing was tested.
    bool allPassed() const;
    const Input* input(int number) const;

    // "не испытан", "годен", "не годен", "устарел".
    static const char* word(State state);
    // "Испытано входов: N из M; годен: K; замечаний: L".
    std::string summary() const;
    // One line an input, then the deviations and the summary (kt7tool results).
    std::string text() const;
    // {"inputs": [...], "deviations": [...], "tested": N, "total": M, "passed": K,
    // "remarks": L, "allPassed": BOOL}; see kt7tool results --help.
    std::string json() const;
};
