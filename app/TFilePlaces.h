#pragma once
// Where every file dialog of the window starts and the name it proposes: the
// folder of the project's file, else the folder last chosen in any of them
// during the run; the project's name, with the document's extension where the
// dialog saves a document.

#include "widgets/TDialogs.h"

#include <QString>

class TProject;

class TFilePlaces {
public:
    enum class Proposal {
        None,         // a file to open: no name
        ProjectName,  // the project's own file: its name, the dialog adds the extension
        DocumentName, // a document made from the project: its name and extension
    };

    explicit TFilePlaces(const TProject& project) : m_project(project) {}

    // The dialog's request; fallback names a document while the project has
    // no name, and detail follows the name of a document of a part of it
    // (" IN-3").
    TFileRequest request(const QString& filter, const QString& extension, Proposal proposal,
                         const QString& fallback = QString(), const QString& detail = QString()) const;
    // A file chosen in one of the dialogs: its folder is the one last chosen.
    void chosen(const QString& path);
    // The project now lives in the file at path (opened or saved there);
    // an empty path: it has no file (new, a backup opened).
    void setProjectFile(const QString& path);
    // The project's image file, absolute; empty while it has none.
    const QString& projectFile() const { return m_projectFile; }

private:
    const TProject& m_project;
    QString m_projectFile;
    QString m_projectFolder;
    QString m_lastFolder;
};
