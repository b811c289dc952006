#include "app/TSideWindows.h"

#include "app/TControllerLink.h"
#include "app/TFilePlaces.h"
#include "app/TFormAcceptance.h"
#include "app/TFormBackups.h"
#include "app/TFormCheck.h"
#include "app/TFormCompare.h"
#include "app/TFormMatrix.h"
#include "app/TNavigationTree.h"
#include "app/TProjectCommands.h"
#include "app/TWindowState.h"
#include "project/TProject.h"
#include "report/TConfigCheck.h"
#include "widgets/TDialogs.h"

#include <utility>

namespace {
const QString NotConnected = QStringLiteral("Контроллер не подключен: нажмите «Подключить».");

template <class Window, class Host> Window* made(QPointer<Window>& window, Host& host, QWidget& parent)
{
    if (!window)
        window = new Window(host, &parent);
    return window;
}
} // namespace

TSideWindows::TSideWindows(Parts parts) : QObject(&parts.window), m_parts(parts)
{
    setObjectName("SideWindows");
}

void TSideWindows::setLink(TControllerLink& link, TProjectCommands& commands)
{
    m_link = &link;
    m_commands = &commands;
}

TFormCheck* TSideWindows::check()
{
    return made<TFormCheck, TCheckHost>(m_check, *this, m_parts.window);
}

TFormMatrix* TSideWindows::matrix()
{
    return made<TFormMatrix, TMatrixHost>(m_matrix, *this, m_parts.window);
}

TFormCompare* TSideWindows::compare()
{
    return made<TFormCompare, TCompareHost>(m_compare, *this, m_parts.window);
}

TFormBackups* TSideWindows::backups()
{
    return made<TFormBackups, TBackupsHost>(m_backups, *this, m_parts.window);
}

TFormAcceptance* TSideWindows::acceptance()
{
    return made<TFormAcceptance, TAcceptanceHost>(m_acceptance, *this, m_parts.window);
}

bool TSideWindows::approveWrite(const TImage& image)
{
    // Another image than the project's (a backup put back) has no names.
    if (&image != &m_parts.project.image())
        return check()->approveWrite(TConfigCheck::run(image, nullptr));
    return check()->approveWrite();
}

void TSideWindows::controllerChanged()
{
    if (m_compare)
        m_compare->controllerChanged();
}

std::vector<TConfigFinding> TSideWindows::findings() const
{
    return TConfigCheck::run(m_parts.project.image(), &m_parts.project.names());
}

bool TSideWindows::selectFindingNode(const TConfigFinding& finding)
{
    return m_parts.tree.showFinding(finding);
}

bool TSideWindows::connected() const
{
    if (m_parts.state.connected && m_link)
        return true;
    Dlg::error(NotConnected);
    return false;
}

void TSideWindows::readAside(std::function<void(const TImage& image)> done)
{
    if (connected() && m_link->mayReplaceImage())
        m_link->readAside(std::move(done));
}

void TSideWindows::compareWithBackup(const TImage& image, const QString& fileName)
{
    compare()->compareWithBackup(image, fileName);
}

void TSideWindows::openBackup(const TImage& image, const QString& projectName)
{
    if (m_commands)
        m_commands->openBackup(image, projectName);
}

void TSideWindows::writeBackup(const TImage& image, const std::string& serial)
{
    if (connected() && m_link->mayReplaceImage())
        m_link->writeImage(image, serial);
}

bool TSideWindows::saveProject()
{
    if (m_commands)
        m_commands->TBSaveClick();
    return !m_parts.places.projectFile().isEmpty();
}
