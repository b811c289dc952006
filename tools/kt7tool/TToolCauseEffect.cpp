#include "tools/kt7tool/TToolCauseEffect.h"

#include "report/TCauseMatrix.h"
#include "report/TConfigDescriber.h"
#include "report/TReportSource.h"
#include "report/TTimelineSvg.h"
#include "tools/kt7tool/TToolError.h"
#include "tools/kt7tool/TToolOutput.h"

int TToolCauseEffect::matrix()
{
    if (m_o.csv && m_o.json)
        throw TToolError("matrix: --csv and --json ask for two formats; give one", TToolError::Usage);
    TCauseMatrix::Names names;
    for (int i = 1; i <= Layout::InputCount; ++i)
        names[static_cast<size_t>(i - 1)] = TConfigDescriber::algorithmName(m_project, i);
    const TCauseMatrix m = TCauseMatrix::of(m_project.image, names, m_project.site);
    TToolOutput::write(m_o.csv ? m.csv() : m_o.json ? m.json() : m.text());
    return 0;
}

int TToolCauseEffect::timeline()
{
    std::vector<TAlarmPlan::Input> plans;
    std::vector<std::string> heads;
    for (const TAlarmPlan::Input& plan : TAlarmPlan::all(m_project.image)) {
        if (m_o.input != 0 && plan.number != m_o.input)
            continue;
        if (!plan.enabled) {
            if (m_o.input != 0)
                throw TToolError("timeline: IN-" + std::to_string(plan.number) + ": the algorithm is switched off");
            continue;
        }
        plans.push_back(plan);
        heads.push_back(TReportSource::caption(plan.number, TConfigDescriber::algorithmName(m_project, plan.number)));
    }
    TToolOutput::write(TTimelineSvg::document(plans, heads, TAlarmPlan::Composition::of(m_project.image)));
    return 0;
}
