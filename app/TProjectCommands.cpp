#include "app/TProjectCommands.h"

#include "app/TFilePlaces.h"
#include "app/TFileWords.h"
#include "app/TFormProjectName.h"
#include "app/TProjectHost.h"
#include "diag/TDbg.h"
#include "diag/TFormPort.h"
#include "project/TFileResult.h"
#include "project/TProgramNamesFile.h"
#include "project/TProject.h"
#include "project/TProjectFiles.h"
#include "project/TProjectName.h"
#include "widgets/TDialogs.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {
const QString SaveQuestion = QStringLiteral("Хотите сохранить текущий проект конфигурации ?");
const QString ProjectFilter = QStringLiteral("*.usr|*.usr");
const QString ProjectExtension = QStringLiteral("usr");
const QString UnableToWrite = QStringLiteral("Unable to write to %1");
} // namespace

TProjectCommands::TProjectCommands(TProjectHost& host, QObject* parent)
    : QObject(parent), m_host(host), m_executablePath(QCoreApplication::applicationFilePath())
{
    setObjectName("ProjectCommands");
}

QString TProjectCommands::filePath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string TProjectCommands::nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString TProjectCommands::failureText(const QString& lead, const TFileResult& result)
{
    return lead.arg(filePath(result.fileName())) + '\n' + TFileWords::reason(result);
}

TProjectCommands::SaveResult TProjectCommands::save()
{
    TFilePlaces& places = m_host.filePlaces();
    const QString chosen = TDialogs::current().saveFile(
        places.request(ProjectFilter, ProjectExtension, TFilePlaces::Proposal::ProjectName));
    if (chosen.isEmpty())
        return SaveResult::Cancelled;
    places.chosen(chosen);

    // The project counts as saved only when both files are on disk.
    if (const TFileResult result = TProjectFiles::save(nativePath(chosen), m_host.project()); !result) {
        Dlg::error(failureText(UnableToWrite, result));
        return SaveResult::Failed;
    }
    m_host.ProjectSaved(filePath(TProjectName::fromPath(nativePath(chosen))));
    places.setProjectFile(chosen);
    return SaveResult::Saved;
}

void TProjectCommands::TBSaveClick()
{
    save();
}

bool TProjectCommands::saveQuestion()
{
    if (m_host.project().saved() || !Dlg::confirm(SaveQuestion))
        return true;
    // Cancelling the save dialog after asking to save keeps the project.
    return save() == SaveResult::Saved;
}

void TProjectCommands::TBOpenClick()
{
    if (!m_host.mayReplaceImage() || !saveQuestion())
        return;
    const QString chosen = TDialogs::current().openFile(
        m_host.filePlaces().request(ProjectFilter, QString(), TFilePlaces::Proposal::None));
    if (chosen.isEmpty())
        return;
    m_host.filePlaces().chosen(chosen);
    // A file that cannot be opened ends Open without a message.
    openChosen(chosen);
}

void TProjectCommands::openDropped(const QString& path)
{
    if (!m_host.mayReplaceImage() || !saveQuestion())
        return;
    // As Open: a file that cannot be opened changes nothing, without a message.
    openChosen(path);
}

void TProjectCommands::openAtStart(const QString& path)
{
    if (const TFileResult result = openChosen(path); !result)
        Dlg::error(failureText(QStringLiteral("Unable to open %1"), result));
}

TFileResult TProjectCommands::openChosen(const QString& chosen)
{
    const std::string path = nativePath(chosen);
    // A file that cannot be read ends the command with the project untouched.
    TProject& project = m_host.project();
    const TProjectFiles::Opened opened = TProjectFiles::open(path, project);
    if (!opened.image)
        return opened.image;
    project.setName(filePath(project.name()).toStdString());
    // Names that cannot be read stay empty, and the user learns why.
    if (!opened.names)
        Dlg::error(failureText(QStringLiteral("Unable to read %1"), opened.names));
    if (opened.namesLookUtf8)
        Dlg::information(
            QStringLiteral(
                "Файл имён %1 похож на текст в UTF-8, а читается в кодировке Windows-1251. Имена прочитаны так:\n%2")
                .arg(filePath(opened.namesPath), QString::fromStdString(TProjectFiles::namesAsRead(project, "\n"))));
    if (!opened.namesUnicode.empty())
        Dlg::information(QStringLiteral("Файл имён %1 записан в кодировке %2, а файлы имён хранятся в кодировке "
                                        "Windows-1251. Он прочитан в %2, при сохранении будет записан в "
                                        "Windows-1251. Имена прочитаны так:\n%3")
                             .arg(filePath(opened.namesPath), QString::fromStdString(opened.namesUnicode),
                                  QString::fromStdString(TProjectFiles::namesAsRead(project, "\n"))));
    if (!opened.namesCut.empty())
        Dlg::information(TFileWords::cutNames(filePath(opened.namesPath), opened.namesCut));
    m_host.EditorReload();
    m_host.ClearHistory();
    m_host.filePlaces().setProjectFile(chosen);
    return TFileResult::success();
}

void TProjectCommands::openBackup(const TImage& image, const QString& projectName)
{
    if (!m_host.mayReplaceImage() || !saveQuestion())
        return;
    TProject& project = m_host.project();
    if (QString::fromStdString(project.name()) != projectName) {
        for (int i = 1; i <= TNamesFile::Count; ++i)
            project.setInputName(i, std::string());
        project.setSiteNames({});
    }
    project.image() = image;
    project.setName(projectName.toStdString());
    // Not a project file: "Сохранить" starts where a new project's does.
    m_host.filePlaces().setProjectFile(QString());
    m_host.EditorReload();
    m_host.ClearHistory();
}

void TProjectCommands::TBNewClick()
{
    if (!m_host.mayReplaceImage() || !saveQuestion())
        return;
    if (!FormProjectName)
        FormProjectName = new TFormProjectName;
    if (TDialogs::current().execModal(*FormProjectName) != QDialog::Accepted)
        return;
    const QString name = FormProjectName->name();
    if (name.isEmpty()) {
        Dlg::error(QStringLiteral("Неверное имя проекта !"));
        return;
    }
    TProject& project = m_host.project();
    project.setName(name.toStdString());
    m_host.filePlaces().setProjectFile(QString());
    project.image().clear();
    for (int i = 1; i <= TNamesFile::Count; ++i)
        project.setInputName(i, std::string());
    project.setSiteNames({});
    m_host.EditorReload();
    m_host.ClearHistory();
}

void TProjectCommands::writeProgramNames()
{
    // Nobody reads this file, so a failure is told but never stops the close.
    const TFileResult result = TProgramNamesFile::write(nativePath(m_executablePath), m_host.project().names());
    if (!result)
        Dlg::information(failureText(UnableToWrite, result));
}

bool TProjectCommands::FormClose()
{
    // Closing would cut a read or write short and leave the controller
    // holding part of a configuration: refused as Open is.
    if (!m_host.mayReplaceImage())
        return false;
    writeProgramNames();

    bool close = true;
    if (!m_host.project().saved()) {
        switch (Dlg::askYesNoCancel(SaveQuestion)) {
        case mbYes: close = save() == SaveResult::Saved; break;
        case mbNo: break;
        default: close = false; break;
        }
    }
    // The port is closed only once the window really closes: a cancelled
    // close leaves the link connected and working.
    if (close)
        m_host.stopLink();
    if (Dbg)
        Dbg->hide();
    if (FormPort)
        FormPort->hide();
    return close;
}
