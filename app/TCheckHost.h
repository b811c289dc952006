#pragma once
// What the configuration check's window needs from the main window: the
// project, whose notification tells it of every change, the findings of the
// configuration as it stands, and a way to show a finding's node in the tree.

#include "report/TConfigFinding.h"

#include <vector>

class TProject;

class TCheckHost {
public:
    virtual ~TCheckHost() = default;

    virtual TProject& project() = 0;
    virtual std::vector<TConfigFinding> findings() const = 0;
    // Selects the node in the tree; false when the tree cannot reach it now.
    virtual bool selectFindingNode(const TConfigFinding& finding) = 0;
};
