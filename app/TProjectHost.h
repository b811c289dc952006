#pragma once
// What the project commands need from the window that holds them: the one
// image, the project's name and saved state, the algorithm names kept in the
// tree, the editor reload and the undo history, and the controller link.

#include <QString>

class TImage;

class TProjectHost {
public:
    virtual ~TProjectHost() = default;

    virtual TImage& image() = 0;
    virtual bool saved() const = 0;
    virtual QString projectName() const = 0;
    virtual void SetProjectName(const QString& name) = 0;
    // The name of input i (1..24): its node's caption after the first blank.
    virtual QString inputName(int i) const = 0;
    virtual void setInputName(int i, const QString& name) = 0;
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
