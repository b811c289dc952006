#include "tools/kt7tool/TToolAcceptance.h"

#include "image/TTargetKey.h"
#include "report/TAcceptance.h"
#include "report/TConfigDescriber.h"
#include "tools/kt7tool/TToolError.h"
#include "tools/kt7tool/TToolOutput.h"

#include <algorithm>
#include <iostream>
#include <vector>

namespace {
// "LB1.OUT1, CU.K1": what the input switches, each once.
std::string keys(const TAcceptancePlan::Input& input)
{
    std::vector<std::string> seen;
    std::string out;
    for (const TAcceptancePlan::Effect& e : input.effects)
        if (std::find(seen.begin(), seen.end(), e.key) == seen.end()) {
            seen.push_back(e.key);
            out += (out.empty() ? "" : ", ") + e.key;
        }
    return out;
}
} // namespace

namespace {
TAcceptancePlan planOf(const TProject& project)
{
    return TAcceptancePlan::of(project.image(), project.names(), project.siteNames());
}
} // namespace

TToolAcceptance::TToolAcceptance(const TToolOptions& options) : m_o(options)
{
    if (m_o.operands.at(0) == "-")
        throw TToolError(m_o.command + ": the results file lies beside the project; name the project's file, not -",
                         TToolError::Usage);
    m_path = TAcceptanceFile::pathFor(m_o.operands[0]);
}

TAcceptanceFile::Contents TToolAcceptance::readResults() const
{
    TAcceptanceFile::Contents contents;
    if (const TFileResult read = TAcceptanceFile::read(m_path, contents); !read)
        throw TToolError(read.text());
    warnDamaged(contents);
    return contents;
}

void TToolAcceptance::warnDamaged(const TAcceptanceFile::Contents& contents) const
{
    for (const TAcceptanceFile::Damaged& d : contents.damaged)
        std::cerr << "kt7tool: warning: " << m_path << ":" << d.line << ": " << d.reason
                  << "; the line is no result and is kept as it is\n";
}

int TToolAcceptance::results(const TProject& project)
{
    const TAcceptance acceptance = TAcceptance::of(planOf(project), readResults().results);
    TToolOutput::write(m_o.json ? acceptance.json() : acceptance.text());
    return acceptance.allPassed() ? 0 : 1;
}

int TToolAcceptance::record(const TProject& project)
{
    const std::string in = "IN-" + std::to_string(m_o.input);
    if (m_o.pass == m_o.fail)
        throw TToolError("record: give one of --pass and --fail", TToolError::Usage);
    const TAcceptancePlan plan = planOf(project);
    const TAcceptancePlan::Input* input = plan.input(m_o.input);
    if (!input)
        throw TToolError("record: " + in + " is switched off: it has nothing to test", TToolError::Usage);
    const std::string target = TTargetKey::spelt(m_o.target);
    if (target.empty())
        throw TToolError("record: --target: '" + m_o.target
                             + "' names no zone or relay; name one as the names file does: LB2.OUT3, CU.K1, RM1.K2",
                         TToolError::Usage);

    TAcceptanceResult result;
    result.input = m_o.input;
    result.target = target;
    result.verdict = m_o.pass ? TAcceptanceResult::Verdict::Pass : TAcceptanceResult::Verdict::Fail;
    result.fingerprint = input->fingerprint;
    result.time = TAcceptanceFile::now();
    result.tester = m_o.by.empty() ? project.siteNames().engineer : m_o.by;
    result.note = m_o.note;
    std::vector<TAcceptanceResult> results;
    for (const TAcceptancePlan::Effect& e : input->effects)
        if (e.key == target && (m_o.stage == 0 || e.stage == m_o.stage)) {
            result.stage = e.stage;
            results.push_back(result);
        }
    if (results.empty()) {
        const std::string where = m_o.stage == 0 ? in : in + ", stage " + std::to_string(m_o.stage);
        throw TToolError("record: " + where + " never switches " + target + " (" + in + " switches "
                             + (input->effects.empty() ? std::string("nothing") : keys(*input)) + ")",
                         TToolError::Usage);
    }
    warnDamaged(readResults());
    if (const TFileResult written = TAcceptanceFile::record(m_path, results); !written)
        throw TToolError(written.text() + " (nothing recorded)");
    return 0;
}
