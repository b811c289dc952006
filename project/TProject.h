#pragma once
// The project being edited, below the windows: the controller image, the 24
// algorithm names, the names of the site, its zones and relays, the
// project's name, whether it is saved, and the undo history of them all.
// Whoever shows a part of it subscribes to its one change notification and
// keeps the subscription, which ends when it is destroyed; the image is
// written in place by the pages, who then report the edit with imageEdited().

#include "image/ImageLayout.h"
#include "image/TImage.h"
#include "image/TSiteNames.h"
#include "project/TEditHistory.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TProject {
public:
    using Names = std::array<std::string, Layout::InputCount>; // UTF-8

    // What changed: the image was edited, the name of an input (1..24), the
    // project's name or the names of the site, zones and relays were set, or
    // the project became saved or unsaved.
    enum class Change { Image, InputName, ProjectName, SiteNames, Saved };
    using Listener = std::function<void(Change change, int input)>;

    // Held by a subscriber: while it lives its listener hears every change;
    // once it is destroyed or reset the listener is never called again, even
    // by a notification under way. Either the project or the subscription may
    // go first.
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept = default;
        Subscription& operator=(Subscription&& other) noexcept;
        ~Subscription() { reset(); }
        void reset();

    private:
        friend class TProject;
        struct Entry {
            Listener listener;
            bool live = true;
        };
        using Entries = std::vector<std::shared_ptr<Entry>>;
        Subscription(const std::shared_ptr<Entries>& entries, std::shared_ptr<Entry> entry)
            : m_entries(entries), m_entry(std::move(entry))
        {
        }
        std::weak_ptr<Entries> m_entries;
        std::shared_ptr<Entry> m_entry;
    };

    [[nodiscard]] Subscription subscribe(Listener listener);

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
    void setSaved(bool saved);

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

    // A copy of a project holds its data, not its subscribers.
    struct Listeners {
        Listeners() = default;
        Listeners(const Listeners&) {}
        Listeners& operator=(const Listeners&) { return *this; }
        std::shared_ptr<Subscription::Entries> entries = std::make_shared<Subscription::Entries>();
    };

    TImage m_image;
    Names m_names;
    TSiteNames m_site;
    std::string m_name;
    bool m_saved = true;
    TEditHistory m_history;
    Listeners m_listeners;
};
