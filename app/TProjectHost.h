#pragma once
// What the project commands need from the window that holds them: the
// project, the editor reload, the undo history's start and saved point, the
// controller link, and where the file dialogs start.

#include <QString>

class TFilePlaces;
class TProject;

class TProjectHost {
public:
    virtual ~TProjectHost() = default;

    virtual TProject& project() = 0;
    virtual TFilePlaces& filePlaces() = 0;
    // A new or opened image: tree and pages follow it.
    virtual void EditorReload() = 0;
    // A new or opened project starts a history of its own.
    virtual void ClearHistory() = 0;
    // The project is on disk as it stands, under this name.
    virtual void ProjectSaved(const QString& name) = 0;
    // False, after telling the user, while a read or write runs.
    virtual bool mayReplaceImage() = 0;
    // For closing: link idle, port closed.
    virtual void stopLink() = 0;
};
