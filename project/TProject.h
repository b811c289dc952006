#pragma once
// The project being edited, below the windows: the controller image, the 24
// algorithm names, the names of the site, its zones and relays, the
// project's name, whether it is saved, and the undo history of them all. Whoever shows a part of it subscribes to its
// one change notification; the image is written in place by the pages, who then report the edit with imageEdited().

#include "image/ImageLayout.h"
#include "image/TImage.h"
#include "image/TSiteNames.h"
#include "project/TEditHistory.h"

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class TProject {
public:
    using Names = std::array<std::string, Layout::InputCount>; // UTF-8

    // What changed: the image was edited, the name of an input (1..24), the
    // project's name or the names of the site, zones and relays were set.
    enum class Change { Image, InputName, ProjectName, SiteNames };
    using Listener = std::function<void(Change change, int input)>;

    void subscribe(Listener listener) { m_listeners.push_back(std::move(listener)); }

    TImage& image() { return m_image; }
    const TImage& image() const { return m_image; }
    // An edit of the image in place: the project is no longer saved.
    void imageEdited();

    const std::string& name() const { return m_name; }
    void setName(const std::string& name);

    // Input i, 1..24.
    const std::string& inputName(int i) const { return m_names.at(static_cast<size_t>(i - 1)); }
    void setInputName(int i, const std::string& name);
    const Names& names() const { return m_names; }

    const TSiteNames& siteNames() const { return m_site; }
    // Tells the listeners only when the names differ from those held.
    void setSiteNames(const TSiteNames& names);

    bool saved() const { return m_saved; }
    void setSaved(bool saved) { m_saved = saved; }

    // The image, the names and the project's name as they stand.
    TEditState state() const;
    const TEditHistory& history() const { return m_history; }
    // Takes the state as it now is into the history as one step.
    void record() { m_history.record(state()); }
    // Starts a history of its own from the state as it now is.
    void clearHistory() { m_history.reset(state()); }
    // On disk as it stands, under this name: the history knows the state so
    // that undo and redo can tell when the project is back to it.
    void markSaved(const std::string& name);
    // One step back or forward: the image, the names and the project's name
    // come back as they were, and the project is saved when the step's state
    // is the one saved. False when there is no step.
    bool undo() { return step(&TEditHistory::undo); }
    bool redo() { return step(&TEditHistory::redo); }

private:
    bool step(bool (TEditHistory::*move)());
    void notify(Change change, int input) const;

    TImage m_image;
    Names m_names;
    TSiteNames m_site;
    std::string m_name;
    bool m_saved = true;
    TEditHistory m_history;
    std::vector<Listener> m_listeners;
};
