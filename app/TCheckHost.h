#pragma once
// What the configuration check's window needs from the main window: the
// findings of the configuration as it stands, and a way to show a finding's
// node in the tree.

#include "report/TConfigFinding.h"

#include <vector>

class TCheckHost {
public:
    virtual ~TCheckHost() = default;

    virtual std::vector<TConfigFinding> findings() const = 0;
    // Selects the node in the tree; false when the tree cannot reach it now.
    virtual bool selectFindingNode(const TConfigFinding& finding) = 0;
};
