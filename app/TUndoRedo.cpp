#include "app/TUndoRedo.h"

#include "project/TProject.h"

#include <QAction>
#include <QShortcut>
#include <QWidget>

#include <utility>

TUndoRedo::TUndoRedo(TProject& project, QWidget& window, std::function<bool()> loading, std::function<void()> replay)
    : QObject(&window), m_project(project), m_loading(std::move(loading)), m_replay(std::move(replay)),
      m_undo(new QAction(QStringLiteral("Отменить"), this)), m_redo(new QAction(QStringLiteral("Повторить"), this))
{
    setObjectName("UndoRedo");
    m_undo->setObjectName("ActionUndo");
    m_redo->setObjectName("ActionRedo");
    connect(m_undo, &QAction::triggered, this, &TUndoRedo::undo);
    connect(m_redo, &QAction::triggered, this, &TUndoRedo::redo);
    const std::pair<QKeySequence, QAction*> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Z), m_undo},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), m_redo},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), m_redo},
    };
    for (const auto& [key, action] : keys)
        connect(new QShortcut(key, &window), &QShortcut::activated, action, &QAction::trigger);
    updateActions();
}

void TUndoRedo::scheduleRecord()
{
    if (m_replaying || m_recordPending)
        return;
    m_recordPending = true;
    QMetaObject::invokeMethod(this, &TUndoRedo::recordStep, Qt::QueuedConnection);
    updateActions();
}

void TUndoRedo::recordStep()
{
    m_recordPending = false;
    m_project.record();
    updateActions();
}

void TUndoRedo::clear()
{
    m_recordPending = false;
    m_project.clearHistory();
    updateActions();
}

void TUndoRedo::saved(const std::string& name)
{
    recordStep();
    m_project.markSaved(name);
}

void TUndoRedo::undo()
{
    step(&TProject::undo);
}

void TUndoRedo::redo()
{
    step(&TProject::redo);
}

void TUndoRedo::step(bool (TProject::*move)())
{
    if (m_loading() || m_transferRunning)
        return;
    recordStep();
    m_replaying = true;
    if ((m_project.*move)())
        m_replay();
    m_replaying = false;
    updateActions();
}

void TUndoRedo::setTransferRunning(bool running)
{
    m_transferRunning = running;
    updateActions();
}

void TUndoRedo::updateActions()
{
    // A change not yet taken is a step to undo.
    const TEditHistory& history = m_project.history();
    m_undo->setEnabled(!m_transferRunning && (history.undoCount() > 0 || m_recordPending));
    m_redo->setEnabled(!m_transferRunning && history.redoCount() > 0);
}
