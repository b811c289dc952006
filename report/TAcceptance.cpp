#include "report/TAcceptance.h"

#include "report/TConfigDescriber.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

using Verdict = TAcceptanceResult::Verdict;

std::string str(const std::string& text)
{
    return TConfigDescriber::jsonString(text);
}

std::string strOrNull(const std::string& text)
{
    return text.empty() ? "null" : str(text);
}

const char* verdictJson(Verdict v)
{
    return v == Verdict::Pass ? "\"pass\"" : v == Verdict::Fail ? "\"fail\"" : "\"unchecked\"";
}

// A recorded result as JSON members, after the effect's own.
std::string resultJson(const std::optional<TAcceptanceResult>& r, bool stale)
{
    if (!r)
        return "\"result\": null";
    return std::string("\"result\": ") + verdictJson(r->verdict) + ", \"stale\": " + (stale ? "true" : "false")
        + ", \"note\": " + str(r->note) + ", \"tester\": " + str(r->tester) + ", \"recorded\": " + str(r->time)
        + ", \"fingerprint\": " + str(r->fingerprint);
}

} // namespace

TAcceptance TAcceptance::of(const TAcceptancePlan& plan, const std::vector<TAcceptanceResult>& results)
{
    // The results of each input in the file's order: the last of an effect wins.
    std::map<int, std::vector<const TAcceptanceResult*>> byInput;
    for (const TAcceptanceResult& r : results)
        byInput[r.input].push_back(&r);

    TAcceptance a;
    for (const TAcceptancePlan::Input& in : plan.inputs) {
        Input input;
        input.number = in.number;
        input.head = in.head;
        input.fingerprint = in.fingerprint;
        std::map<std::pair<int, std::string>, size_t> rowOf;
        std::vector<const TAcceptanceResult*> source(in.effects.size(), nullptr); // of each row's result
        for (const TAcceptancePlan::Effect& e : in.effects) {
            rowOf[{e.stage, e.key}] = input.rows.size();
            input.rows.push_back(Row{e, std::nullopt, false});
        }
        for (const TAcceptanceResult* r : byInput[in.number]) {
            const auto row = rowOf.find({r->stage, r->target});
            if (row == rowOf.end()) {
                const auto same = std::find_if(input.gone.begin(), input.gone.end(),
                                               [r](const TAcceptanceResult& g) { return g.sameEffect(*r); });
                if (same == input.gone.end())
                    input.gone.push_back(*r);
                else
                    *same = *r;
                continue;
            }
            Row& target = input.rows[row->second];
            target.result = *r;
            target.stale = r->fingerprint != in.fingerprint;
            source[row->second] = r;
        }

        // Who tested the input and when: its first current result, the
        // earlier line of the file where the times are the same.
        bool current = false;
        const TAcceptanceResult* first = nullptr;
        for (size_t n = 0; n < input.rows.size(); ++n) {
            const Row& row = input.rows[n];
            if (!row.result)
                continue;
            if (row.stale) {
                ++input.stale;
                continue;
            }
            current = true;
            const Verdict v = row.result->verdict;
            input.tested += v != Verdict::Unchecked ? 1 : 0;
            input.passed += v == Verdict::Pass ? 1 : 0;
            input.remarks += row.result->note.empty() ? 0 : 1;
            if (v == Verdict::Fail)
                a.deviations.push_back({input.number, input.head, row});
            const TAcceptanceResult* r = source[n];
            if (v != Verdict::Unchecked && (!first || r->time < first->time || (r->time == first->time && r < first)))
                first = r;
        }
        if (first) {
            input.tester = first->tester;
            input.time = first->time;
        }
        if (input.tested > input.passed)
            input.state = State::Failed;
        else if (input.stale > 0 || (!current && !input.gone.empty()))
            input.state = State::Stale;
        else if (input.complete())
            input.state = State::Passed;
        a.testedInputs += input.complete() ? 1 : 0;
        a.passedInputs += input.state == State::Passed ? 1 : 0;
        a.remarks += input.remarks;
        a.inputs.push_back(std::move(input));
    }
    return a;
}

bool TAcceptance::allPassed() const
{
    return !inputs.empty() && passedInputs == static_cast<int>(inputs.size());
}

const TAcceptance::Input* TAcceptance::input(int number) const
{
    const auto found
        = std::find_if(inputs.begin(), inputs.end(), [number](const Input& in) { return in.number == number; });
    return found == inputs.end() ? nullptr : &*found;
}

const char* TAcceptance::word(State state)
{
    switch (state) {
    case State::Passed: return "годен";
    case State::Failed: return "не годен";
    case State::Stale: return "устарел";
    case State::Untested: break;
    }
    return "не испытан";
}

std::string TAcceptance::summary() const
{
    return "Испытано входов: " + std::to_string(testedInputs) + " из " + std::to_string(inputs.size())
        + "; годен: " + std::to_string(passedInputs) + "; замечаний: " + std::to_string(remarks);
}

std::string TAcceptance::text() const
{
    const auto printable = [](const std::string& text) { return TConfigDescriber::printable(text); };
    std::string out;
    for (const Input& in : inputs) {
        out += printable(in.head) + ": " + word(in.state) + ", испытано " + std::to_string(in.tested) + " из "
            + std::to_string(in.effects()) + ", годен " + std::to_string(in.passed) + ", замечаний "
            + std::to_string(in.remarks);
        if (in.stale > 0)
            out += ", устарели " + std::to_string(in.stale);
        if (!in.time.empty())
            out += "; " + (in.tester.empty() ? std::string() : printable(in.tester) + ", ") + in.time;
        out += "\n";
    }
    if (!deviations.empty()) {
        out += "\nОтклонения:\n";
        for (const Deviation& d : deviations) {
            const TAcceptancePlan::Effect& e = d.row.effect;
            out += "IN-" + std::to_string(d.input) + ", этап " + std::to_string(e.stage) + ", " + e.key
                + (e.name.empty() ? std::string() : " (" + printable(e.name) + ")") + ": не годен";
            if (!d.row.result->note.empty())
                out += " — " + printable(d.row.result->note);
            out += "\n";
        }
    }
    return out + "\n" + summary() + "\n";
}

std::string TAcceptance::json() const
{
    static const char* const states[] = {"\"untested\"", "\"passed\"", "\"failed\"", "\"stale\""};
    std::string out = "{\"inputs\": [";
    for (size_t i = 0; i < inputs.size(); ++i) {
        const Input& in = inputs[i];
        out += std::string(i == 0 ? "\n  " : ",\n  ") + "{\"input\": " + std::to_string(in.number)
            + ", \"head\": " + str(in.head) + ", \"state\": " + states[static_cast<int>(in.state)]
            + ", \"fingerprint\": " + str(in.fingerprint) + ", \"effects\": " + std::to_string(in.effects())
            + ", \"tested\": " + std::to_string(in.tested) + ", \"passed\": " + std::to_string(in.passed)
            + ", \"remarks\": " + std::to_string(in.remarks) + ", \"stale\": " + std::to_string(in.stale)
            + ", \"tester\": " + strOrNull(in.tester) + ", \"time\": " + strOrNull(in.time) + ",\n   \"results\": [";
        for (size_t r = 0; r < in.rows.size(); ++r) {
            const Row& row = in.rows[r];
            const TAcceptancePlan::Effect& e = row.effect;
            out += std::string(r == 0 ? "\n    " : ",\n    ") + "{\"stage\": " + std::to_string(e.stage)
                + ", \"start\": " + (e.start == TAlarmPlan::Unknown ? "null" : std::to_string(e.start))
                + ", \"time\": " + str(e.time) + ", \"message\": " + strOrNull(e.message)
                + ", \"target\": " + str(e.key) + ", \"head\": " + str(e.head) + ", \"name\": " + strOrNull(e.name)
                + ", " + resultJson(row.result, row.stale) + "}";
        }
        out += in.rows.empty() ? "], \"gone\": [" : "\n   ], \"gone\": [";
        for (size_t g = 0; g < in.gone.size(); ++g)
            out += std::string(g == 0 ? "" : ", ") + "{\"stage\": " + std::to_string(in.gone[g].stage)
                + ", \"target\": " + str(in.gone[g].target) + ", " + resultJson(in.gone[g], true) + "}";
        out += "]}";
    }
    out += inputs.empty() ? "],\n\"deviations\": [" : "\n],\n\"deviations\": [";
    for (size_t d = 0; d < deviations.size(); ++d) {
        const Deviation& dev = deviations[d];
        out += std::string(d == 0 ? "\n  " : ",\n  ") + "{\"input\": " + std::to_string(dev.input)
            + ", \"stage\": " + std::to_string(dev.row.effect.stage) + ", \"target\": " + str(dev.row.effect.key)
            + ", \"name\": " + strOrNull(dev.row.effect.name) + ", \"note\": " + str(dev.row.result->note) + "}";
    }
    out += deviations.empty() ? "],\n" : "\n],\n";
    return out + "\"total\": " + std::to_string(inputs.size()) + ", \"tested\": " + std::to_string(testedInputs)
        + ", \"passed\": " + std::to_string(passedInputs) + ", \"remarks\": " + std::to_string(remarks)
        + ", \"allPassed\": " + (allPassed() ? "true" : "false") + "}\n";
}
