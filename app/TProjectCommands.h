#pragma once
// The project commands of the main window: new, open, save and the guarded
// close. A project is the image file (*.usr) and the names file (*.ini)
// beside it.

#include "project/TNamesFile.h"

#include <QObject>
#include <QString>

class TFileResult;
class TImage;
class TProjectHost;

class TProjectCommands : public QObject {
    Q_OBJECT
public:
    TProjectCommands(TProjectHost& host, QObject* parent = nullptr);

    // The program names file is written beside this path (or in the user's
    // data folder when its folder is not writable).
    void setExecutablePath(const QString& path) { m_executablePath = path; }

    void TBNewClick();
    void TBOpenClick();
    void TBSaveClick();
    // A project file dropped on the main window: opened as Open opens the
    // file chosen in its dialog, after the save question.
    void openDropped(const QString& path);
    // The project named on the command line; a file that cannot be opened is
    // told in a box and the tool starts without a project.
    void openAtStart(const QString& path);
    // A kept controller image as the project, after the save question, named
    // as a read names the controller's project. A backup has no names: the
    // names of a project of that controller, open now, stay; any other
    // project's are dropped.
    void openBackup(const TImage& image, const QString& projectName);
    // True when the main window may close.
    bool FormClose();
    // The image file the project was opened from or saved to; empty for a
    // project that has none (new, a backup opened).
    const QString& projectFile() const { return m_projectFile; }
    // The folder the file dialogs start in: the current project's, else the
    // one last chosen in a dialog during this run.
    QString startFolder() const;

private:
    enum class SaveResult { Saved, Cancelled, Failed };

    SaveResult save();
    // Asks whether to save unsaved changes; false when the save failed or its
    // dialog was cancelled: the command stops so the changes are not thrown away.
    bool saveQuestion();
    // Open's steps after its dialog; a failure has changed nothing.
    TFileResult openChosen(const QString& chosen);
    void writeProgramNames();
    void chosenInDialog(const QString& path);
    // The lead with the file name in place of %1, the reason on a second line.
    static QString failureText(const QString& lead, const TFileResult& result);
    static QString filePath(const std::string& path);
    static std::string nativePath(const QString& path);

    TProjectHost& m_host;
    QString m_executablePath;
    // Folder of the file the project was opened from or saved to; empty for
    // a new project.
    QString m_projectFolder;
    QString m_projectFile;
    QString m_lastFolder;
};
