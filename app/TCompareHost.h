#pragma once
// What the differences window needs from the main window: the project it
// compares, a read of the controller's image beside the project, and a way to
// show a difference's node in the tree.

#include "report/TConfigFinding.h"

#include <functional>

class TImage;
class TFilePlaces;
class TProject;

class TCompareHost {
public:
    virtual ~TCompareHost() = default;

    virtual TProject& project() = 0;
    // Where its file dialogs start and what they propose.
    virtual TFilePlaces& filePlaces() = 0;
    // Selects the node named as the check names nodes; false when the tree
    // cannot reach it now.
    virtual bool selectFindingNode(const TConfigFinding& node) = 0;
    // Reads the controller's image without touching the project, keeping it
    // as every read does; done gets it once the read has completed. When no
    // read can start now (no controller, a transfer running) the user is
    // told and done is never called.
    virtual void readAside(std::function<void(const TImage& image)> done) = 0;
};
