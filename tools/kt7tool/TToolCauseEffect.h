#pragma once
// kt7tool's cause-and-effect commands: matrix (what each switched-on input
// switches in which stage, as text, CSV or JSON) and timeline (the alarms
// on a time scale, as SVG), both from TAlarmPlan as the window draws them.

#include "report/TReportInput.h"
#include "tools/kt7tool/TToolOptions.h"

class TToolCauseEffect {
public:
    TToolCauseEffect(const TToolOptions& options, TReportInput project) : m_o(options), m_project(std::move(project)) {}

    // Writes the command's output; returns the exit status. Throws
    // TToolError for options that do not fit together.
    int matrix();
    int timeline();

private:
    const TToolOptions& m_o;
    TReportInput m_project;
};
