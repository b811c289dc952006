#include "project/TProject.h"

void TProject::notify(Change change, int input) const
{
    for (const Listener& listener : m_listeners)
        listener(change, input);
}

void TProject::imageEdited()
{
    m_saved = false;
    notify(Change::Image, 0);
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
    m_saved = true;
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
    m_saved = m_history.atSaved();
    return true;
}
