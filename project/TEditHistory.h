#pragma once
// The undo history of the editor: the image, the 24 algorithm names, the
// project name and the names of the site, its zones and relays as they stood
// after each change. Only what differs is kept: a step holds the
// byte runs and names of the other side of its change, and undoing or redoing
// swaps them with the current state, so a step costs its changed bytes once.

#include "image/ImageLayout.h"
#include "image/TImage.h"
#include "image/TSiteNames.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct TEditState {
    TImage::Bytes bytes{};
    std::array<std::string, Layout::InputCount> names; // UTF-8
    // A controller read names the project after the controller; undoing the
    // read gives the name back with the image.
    std::string project; // UTF-8
    TSiteNames site;

    bool operator==(const TEditState&) const = default;
};

class TEditHistory {
public:
    // Steps kept; older ones are forgotten. A step that replaces the whole
    // image costs about 2 KB, an edit on a page about a hundred bytes.
    static constexpr size_t Capacity = 256;

    TEditHistory() = default;
    explicit TEditHistory(const TEditState& state) { reset(state); }

    // Starts again from a state: no steps, and no state known to be saved.
    void reset(const TEditState& state);
    // Takes the state as it now is. When it differs from the current one it
    // becomes a new step and the steps undone before are dropped; returns
    // whether a step was added.
    bool record(const TEditState& now);
    // Moves one step back or forward; false when there is none.
    bool undo();
    bool redo();
    const TEditState& state() const { return m_state; }
    size_t undoCount() const { return m_position; }
    size_t redoCount() const { return m_steps.size() - m_position; }

    // The project takes another name without a step of its own (a save under
    // a new name): undo and redo keep it until a step that changed the name.
    void rename(const std::string& project) { m_state.project = project; }

    // The current state is the one last saved; atSaved tells whether the
    // current state equals it.
    void markSaved() { m_saved = m_state; }
    bool atSaved() const { return m_saved && *m_saved == m_state; }

    // Bytes of memory the history holds, its own object included.
    size_t memoryUse() const;

private:
    struct Run {
        uint16_t offset;
        uint16_t length;
    };
    struct Step {
        std::vector<Run> runs;
        std::vector<uint8_t> bytes; // the runs' contents, one after the other
        std::vector<std::pair<uint8_t, std::string>> names;
        std::optional<std::string> project;
        std::vector<std::pair<uint8_t, std::string>> site; // by TSiteNames::field
    };

    static Step difference(const TEditState& from, const TEditState& to);
    static void exchange(Step& step, TEditState& state);
    static size_t heapUse(const std::string& text);
    static size_t heapUse(const TSiteNames& site);
    static size_t heapUse(const std::vector<std::pair<uint8_t, std::string>>& names);
    static size_t heapUse(const TEditState& state);

    TEditState m_state;
    std::deque<Step> m_steps; // [0, m_position) can be undone, the rest redone
    size_t m_position = 0;
    std::optional<TEditState> m_saved;
};
