#pragma once
// What the editor pages need from the window that holds them: the one image,
// the loading guard, the selected tree node and the image-changed notification.

#include <QString>

class TImage;

class TEditorHost {
public:
    virtual ~TEditorHost() = default;

    virtual TImage& image() = 0;
    // True while a page is being loaded from the image: edit handlers do nothing.
    virtual bool loading() const = 0;
    // Image offset carried by the selected tree node.
    virtual int nodeOffset() const = 0;
    // Marks the project unsaved and refreshes the dump.
    virtual void imageChanged() = 0;
    // Re-evaluates the state marks of the tree after a change.
    virtual void refreshStates() = 0;
    // Loads the selected node's page again from the image, under the loading guard.
    virtual void reloadPage() = 0;
    // Changes whenever a page is loaded for a node and whenever the image is
    // replaced as a whole. A controller read may complete while a message box
    // is open; a handler compares the stamp from before its box with the one
    // after it and writes nothing when they differ.
    virtual unsigned shownStamp() const = 0;

    // Knock-on of the system composition. applySplitterCount runs the whole
    // rule with the count the composition page shows; the setUsable calls only
    // say which outputs, relays and message sources the pages may offer (a
    // negative count: the image holds no valid count, nothing is offered).
    virtual void applySplitterCount() = 0;
    virtual void setUsableSplitters(int splitters) = 0;
    virtual void setUsableMessageModules(int modules) = 0;
    virtual void setUsableRelayModules(int modules) = 0;

    // The selected node and its parent in the tree.
    virtual QString nodeCaption() const = 0;
    virtual QString parentCaption() const = 0;
    // The name of input i (1..24), which its node's caption shows.
    virtual QString inputName(int i) const = 0;
    // The user renamed input i: one step of the history.
    virtual void renameInput(int i, const QString& name) = 0;
    virtual void setNodeExpanded(bool expanded) = 0;
    // 1-based position of the selected node among its siblings (input i, stage k).
    virtual int nodeIndex() const = 0;
};
