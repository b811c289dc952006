#pragma once
// kt7tool's acceptance test commands: results (each switched-on input's
// state and counts, from the results file beside the project) and record
// (one result written into it, as the test window writes it).

#include "project/TAcceptanceFile.h"
#include "project/TProject.h"
#include "report/TAcceptancePlan.h"
#include "tools/kt7tool/TToolOptions.h"

#include <string>

class TToolAcceptance {
public:
    // Refuses standard input for the project: its results file lies beside it.
    explicit TToolAcceptance(const TToolOptions& options);

    // The project as read from the command's file, with its names. Write
    // the command's output; return the exit status. Throw TToolError for
    // what cannot be done: nothing is recorded then.
    int results(const TProject& project);
    int record(const TProject& project);

private:
    // The results file, its damaged lines told on standard error.
    TAcceptanceFile::Contents readResults() const;
    void warnDamaged(const TAcceptanceFile::Contents& contents) const;

    const TToolOptions& m_o;
    std::string m_path; // of the results file
};
