#include "project/TProjectCommands.h"

#include "app/TDialogs.h"
#include "app/TMain.h"
#include "link/TControllerLink.h"
#include "link/TDbg.h"
#include "link/TFormPort.h"
#include "project/TFileResult.h"
#include "project/TFormProjectName.h"
#include "project/TImageFile.h"
#include "project/TProgramNamesFile.h"
#include "project/TProjectName.h"

#include <QCoreApplication>
#include <QFile>
#include <QTreeWidgetItem>

namespace {
const QString SaveQuestion = QStringLiteral("Хотите сохранить текущий проект конфигурации ?");
const QString ProjectFilter = QStringLiteral("*.usr|*.usr");
const QString ProjectExtension = QStringLiteral("usr");
const QString UnableToWrite = QStringLiteral("Unable to write to %1");
} // namespace

TProjectCommands::TProjectCommands(TMain& main)
    : QObject(&main), m_main(main), m_executablePath(QCoreApplication::applicationFilePath())
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

TNamesFile::Names TProjectCommands::names() const
{
    TNamesFile::Names out;
    for (int i = 0; i < TNamesFile::Count; ++i)
        out[static_cast<size_t>(i)] = m_main.inputName(i + 1).toStdString();
    return out;
}

QString TProjectCommands::failureText(const QString& lead, const TFileResult& result)
{
    return lead.arg(filePath(result.fileName())) + '\n' + QString::fromStdString(result.reason());
}

TProjectCommands::SaveResult TProjectCommands::save()
{
    const QString chosen = TDialogs::current().saveFile({ProjectFilter, m_main.ProjectName, ProjectExtension});
    if (chosen.isEmpty())
        return SaveResult::Cancelled;
    const std::string path = nativePath(chosen);

    // The names file is only written beside an image that was written, and
    // the project counts as saved only when both are on disk.
    if (const TFileResult result = TImageFile::write(path, m_main.Image); !result) {
        Dlg::error(failureText(UnableToWrite, result));
        return SaveResult::Failed;
    }
    if (const TFileResult result = TNamesFile::write(TProjectName::namesFilePath(path), names()); !result) {
        Dlg::error(failureText(UnableToWrite, result));
        return SaveResult::Failed;
    }
    m_main.SetProjectName(filePath(TProjectName::fromPath(path)));
    m_main.ProjectSaved();
    return SaveResult::Saved;
}

void TProjectCommands::TBSaveClick()
{
    save();
}

bool TProjectCommands::saveQuestion()
{
    if (m_main.Saved || !Dlg::confirm(SaveQuestion))
        return true;
    // Cancelling the save dialog after asking to save keeps the project.
    return save() == SaveResult::Saved;
}

void TProjectCommands::TBOpenClick()
{
    if (!m_main.link()->mayReplaceImage() || !saveQuestion())
        return;
    const QString chosen = TDialogs::current().openFile({ProjectFilter, QString(), QString()});
    if (chosen.isEmpty())
        return;
    // A file that cannot be opened ends Open without a message.
    openChosen(chosen);
}

void TProjectCommands::openDropped(const QString& path)
{
    if (!saveQuestion())
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
    if (const TFileResult result = TImageFile::read(path, m_main.Image); !result)
        return result;
    m_main.SetProjectName(filePath(TProjectName::fromPath(path)));

    // Names that cannot be read stay empty, never those of the project
    // replaced, and the user learns why.
    TNamesFile::Names loaded;
    if (const TFileResult result = TNamesFile::read(TProjectName::namesFilePath(path), loaded); !result)
        Dlg::error(failureText(QStringLiteral("Unable to read %1"), result));
    for (int i = 0; i < TNamesFile::Count; ++i)
        m_main.setInputName(i + 1, QString::fromStdString(loaded[static_cast<size_t>(i)]));
    m_main.EditorReload();
    m_main.ClearHistory();
    return TFileResult::success();
}

void TProjectCommands::TBNewClick()
{
    if (!m_main.link()->mayReplaceImage() || !saveQuestion())
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
    m_main.SetProjectName(name);
    m_main.Image.clear();
    for (int i = 1; i <= TNamesFile::Count; ++i)
        m_main.inputNode(i)->setText(0, QStringLiteral("IN-%1 ").arg(i));
    m_main.EditorReload();
    m_main.ClearHistory();
}

void TProjectCommands::writeProgramNames()
{
    // Nobody reads this file, so a failure is told but never stops the close.
    const TFileResult result = TProgramNamesFile::write(nativePath(m_executablePath), names());
    if (!result)
        Dlg::information(failureText(UnableToWrite, result));
}

bool TProjectCommands::FormClose()
{
    writeProgramNames();
    m_main.link()->stop();

    bool close = true;
    if (!m_main.Saved) {
        switch (Dlg::askYesNoCancel(SaveQuestion)) {
        case mbYes: close = save() == SaveResult::Saved; break;
        case mbNo: break;
        default: close = false; break;
        }
    }
    if (Dbg)
        Dbg->hide();
    if (FormPort)
        FormPort->hide();
    return close;
}
