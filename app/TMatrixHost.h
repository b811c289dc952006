#pragma once
// What the cause-and-effect matrix and the alarm's timeline need from the
// main window: the project they draw, whose notification tells them of every
// change, and a way to show a node of the tree.

#include "report/TConfigFinding.h"

class TFilePlaces;
class TProject;

class TMatrixHost {
public:
    virtual ~TMatrixHost() = default;

    virtual TProject& project() = 0;
    // Where its file dialogs start and what they propose.
    virtual TFilePlaces& filePlaces() = 0;
    // Selects the node named as the check names nodes (an input, a stage, a
    // button, a group, the functional settings); false when the tree cannot
    // reach it now.
    virtual bool selectFindingNode(const TConfigFinding& node) = 0;
};
