#pragma once
// Undo and redo of the project: a change made on a page is taken into the
// history once the event that made it has been handled, so one user action
// is one step; stepping back or forward replays the project's state and lets
// the window follow it. The actions are usable as far as the history and a
// running transfer allow; the keys Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y trigger
// them through shortcuts of their own, which take the keys wherever a field
// does not use them, whether or not there is a step.

#include <QObject>

#include <functional>

class QAction;
class QWidget;
class TProject;

class TUndoRedo : public QObject {
    Q_OBJECT
public:
    // loading: a page is being loaded and nothing may step. replay: the
    // project has stepped; the windows follow it.
    TUndoRedo(TProject& project, QWidget& window, std::function<bool()> loading, std::function<void()> replay);

    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }

    // A change waits to be taken until the event that made it has been handled.
    void scheduleRecord();
    // Takes a change not yet taken now.
    void recordStep();
    // New and Open start a history of their own.
    void clear();
    // A completed save: changes not yet taken become a step under the name
    // they were made with, and the project is saved under the new one.
    void saved(const std::string& name);
    void undo();
    void redo();
    // True while a step is replayed: the changes the replay makes are no steps.
    bool replaying() const { return m_replaying; }
    // A transfer reads into or sends from the image: it stays as it is until
    // the transfer has ended.
    void setTransferRunning(bool running);

private:
    void step(bool (TProject::*move)());
    void updateActions();

    TProject& m_project;
    std::function<bool()> m_loading;
    std::function<void()> m_replay;
    QAction* m_undo;
    QAction* m_redo;
    bool m_recordPending = false;
    bool m_replaying = false;
    bool m_transferRunning = false;
};
