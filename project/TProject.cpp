#include "project/TProject.h"

#include <algorithm>

TProject::Subscription& TProject::Subscription::operator=(Subscription&& other) noexcept
{
    if (this != &other) {
        reset();
        m_entries = std::move(other.m_entries);
        m_entry = std::move(other.m_entry);
    }
    return *this;
}

void TProject::Subscription::reset()
{
    if (!m_entry)
        return;
    m_entry->live = false;
    if (const std::shared_ptr<Entries> entries = m_entries.lock())
        std::erase(*entries, m_entry);
    m_entry.reset();
    m_entries.reset();
}

TProject::Subscription TProject::subscribe(Listener listener)
{
    auto entry = std::make_shared<Subscription::Entry>();
    entry->listener = std::move(listener);
    m_listeners.entries->push_back(entry);
    return Subscription(m_listeners.entries, std::move(entry));
}

void TProject::notify(Change change, int input) const
{
    // A listener may end its own or another's subscription, or subscribe
    // anew: the ones subscribed when the change came are heard while they
    // still live.
    const Subscription::Entries listeners = *m_listeners.entries;
    for (const std::shared_ptr<Subscription::Entry>& entry : listeners)
        if (entry->live)
            entry->listener(change, input);
}

void TProject::setSaved(bool saved)
{
    if (saved == m_saved)
        return;
    m_saved = saved;
    notify(Change::Saved, 0);
}

void TProject::imageEdited()
{
    const bool wasSaved = m_saved;
    m_saved = false;
    notify(Change::Image, 0);
    if (wasSaved)
        notify(Change::Saved, 0);
}

void TProject::setName(const std::string& name)
{
    m_name = name;
    notify(Change::ProjectName, 0);
}

void TProject::setInputName(int i, const std::string& name)
{
    m_names.at(static_cast<size_t>(i - 1)) = name;
    notify(Change::InputName, i);
}

void TProject::setSiteNames(const TSiteNames& names)
{
    if (names == m_site)
        return;
    m_site = names;
    notify(Change::SiteNames, 0);
}

TEditState TProject::state() const
{
    TEditState state;
    state.bytes = m_image.bytes();
    state.names = m_names;
    state.project = m_name;
    state.site = m_site;
    return state;
}

void TProject::markSaved(const std::string& name)
{
    setName(name);
    m_history.rename(name);
    m_history.markSaved();
    setSaved(true);
}

bool TProject::step(bool (TEditHistory::*move)())
{
    if (!(m_history.*move)())
        return false;
    const TEditState& state = m_history.state();
    m_image.replace(state.bytes);
    for (int i = 1; i <= Layout::InputCount; ++i)
        setInputName(i, state.names[static_cast<size_t>(i - 1)]);
    setName(state.project);
    setSiteNames(state.site);
    setSaved(m_history.atSaved());
    return true;
}
