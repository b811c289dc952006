#include "project/TEditHistory.h"

#include <algorithm>

namespace {
// Unchanged bytes shorter than a run's header are kept inside one run.
constexpr size_t JoinGap = sizeof(uint16_t) * 2;
} // namespace

void TEditHistory::reset(const TEditState& state)
{
    m_state = state;
    m_steps.clear();
    m_position = 0;
    m_saved.reset();
}

TEditHistory::Step TEditHistory::difference(const TEditState& from, const TEditState& to)
{
    Step step;
    const auto& a = from.bytes;
    const auto& b = to.bytes;
    size_t bytes = 0;
    for (size_t i = 0; i < a.size();) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        size_t end = i + 1;
        for (size_t same = 0; end < a.size() && same <= JoinGap; ++end)
            same = a[end] == b[end] ? same + 1 : 0;
        while (a[end - 1] == b[end - 1])
            --end;
        step.runs.push_back({static_cast<uint16_t>(i), static_cast<uint16_t>(end - i)});
        bytes += end - i;
        i = end;
    }
    step.bytes.reserve(bytes);
    for (const Run& run : step.runs)
        step.bytes.insert(step.bytes.end(), a.begin() + run.offset, a.begin() + run.offset + run.length);
    step.runs.shrink_to_fit();
    for (size_t n = 0; n < from.names.size(); ++n)
        if (from.names[n] != to.names[n])
            step.names.emplace_back(static_cast<uint8_t>(n), from.names[n]);
    step.names.shrink_to_fit();
    if (from.project != to.project)
        step.project = from.project;
    for (int n = 0; n < TSiteNames::FieldCount; ++n)
        if (from.site.field(n) != to.site.field(n))
            step.site.emplace_back(static_cast<uint8_t>(n), from.site.field(n));
    step.site.shrink_to_fit();
    return step;
}

void TEditHistory::exchange(Step& step, TEditState& state)
{
    auto held = step.bytes.begin();
    for (const Run& run : step.runs) {
        std::swap_ranges(held, held + run.length, state.bytes.begin() + run.offset);
        held += run.length;
    }
    for (auto& [n, name] : step.names)
        std::swap(name, state.names[n]);
    if (step.project)
        std::swap(*step.project, state.project);
    for (auto& [n, name] : step.site)
        std::swap(name, state.site.field(n));
}

bool TEditHistory::record(const TEditState& now)
{
    if (now == m_state)
        return false;
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_position), m_steps.end());
    m_steps.push_back(difference(m_state, now));
    m_state = now;
    if (m_steps.size() > Capacity)
        m_steps.pop_front();
    m_position = m_steps.size();
    return true;
}

bool TEditHistory::undo()
{
    if (m_position == 0)
        return false;
    --m_position;
    exchange(m_steps[m_position], m_state);
    return true;
}

bool TEditHistory::redo()
{
    if (m_position == m_steps.size())
        return false;
    exchange(m_steps[m_position], m_state);
    ++m_position;
    return true;
}

size_t TEditHistory::heapUse(const std::string& text)
{
    // Short texts live inside the string object itself.
    return text.capacity() > std::string().capacity() ? text.capacity() + 1 : 0;
}

size_t TEditHistory::heapUse(const TSiteNames& site)
{
    size_t total = 0;
    for (int n = 0; n < TSiteNames::FieldCount; ++n)
        total += heapUse(site.field(n));
    return total;
}

size_t TEditHistory::heapUse(const std::vector<std::pair<uint8_t, std::string>>& names)
{
    size_t total = names.capacity() * sizeof(names[0]);
    for (const auto& name : names)
        total += heapUse(name.second);
    return total;
}

size_t TEditHistory::heapUse(const TEditState& state)
{
    size_t total = heapUse(state.site);
    for (const std::string& name : state.names)
        total += heapUse(name);
    return total + heapUse(state.project);
}

size_t TEditHistory::memoryUse() const
{
    size_t total = sizeof(*this) + heapUse(m_state);
    if (m_saved)
        total += heapUse(*m_saved);
    for (const Step& step : m_steps) {
        total += sizeof(Step) + step.runs.capacity() * sizeof(Run) + step.bytes.capacity() + heapUse(step.names)
            + heapUse(step.site);
        if (step.project)
            total += heapUse(*step.project);
    }
    return total;
}
