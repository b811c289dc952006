#include "app/TMain.h"

#include "app/TControllerLink.h"
#include "app/TFormAcceptance.h"
#include "app/TFormBackups.h"
#include "app/TFormCheck.h"
#include "app/TFormCompare.h"
#include "app/TFormMatrix.h"
#include "app/TFormSiteNames.h"
#include "app/TFormWord.h"
#include "app/TMainToolBar.h"
#include "app/TPackCommand.h"
#include "app/TProjectDrop.h"
#include "app/TScanPanel.h"
#include "app/TSetComPort.h"
#include "app/TTimelineView.h"
#include "diag/TDbg.h"
#include "diag/TFormPort.h"
#include "editor/TAlgorithmPage.h"
#include "editor/TSettingsPage.h"
#include "editor/TSystemPage.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

#include <cstdio>
#include <utility>

TMain* Main = nullptr;

namespace {
constexpr int ClientWidth = 751;
constexpr int ClientHeight = 593;
const QString Title = QStringLiteral("Конфигурация");
} // namespace

TMain::TMain() : TMain(TControllerLink::ScanInterval)
{
}

TMain::TMain(int scanInterval)
{
    setObjectName("Main");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_project.image().clear();
    // Undo and redo have no toolbar buttons; the usual keys reach them.
    m_undo = new TUndoRedo(
        m_project, *this, [this] { return Loading; }, [this] { replayHistory(); });
    m_bar = new TMainToolBar(*this);
    m_status = new TStatusPanels(*statusBar());

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    TV = new TNavigationTree(
        m_project, [this] { return PageControl->settingsPage()->paging(); },
        [this] { return PageControl->systemPage()->consoles() > 0; }, central);
    m_sides = new TSideWindows({*this, m_project, *TV, m_places, m_state});
    PageControl = new TEditorPages(
        *this, [this] { return new TTimelineView(*m_sides, [this] { return nodeIndex(); }); }, central);
    layout->addWidget(TV);
    layout->addWidget(PageControl, 1);
    setCentralWidget(central);

    m_subscription = m_project.subscribe([this](TProject::Change change, int input) { projectChanged(change, input); });

    connect(TV, &TNavigationTree::nodeChosen, this, &TMain::TVChange);
    connect(TV, &TNavigationTree::branchChecked, this, [this](QTreeWidgetItem* root, bool mayOpen) {
        PageControl->showClosedBranch(TV->pageFor(root), !mayOpen);
    });
    TV->setCurrentItem(TV->systemNode());
    RefreshStates();
    m_project.setSaved(true);
    setStatusText(0, QStringLiteral("Нет подключения"));

    PanelScan = new TScanPanel(this);
    PanelScan->centreOnParent();

    TV->hide();
    PageControl->hide();
    connectControls(scanInterval);

    m_project.clearHistory();
    m_project.markSaved(std::string());
    showTitle();

    // Fields that take dropped text would swallow a dropped file: files are
    // the window's business wherever they are dropped.
    auto* drop = new TProjectDrop(*this,
                                  {[this] { return m_state.transfer; }, [this] { m_link->mayReplaceImage(); },
                                   [this](const QString& path) { m_commands->openDropped(path); }});
    connect(PageControl, &TEditorPages::pagesMade, drop, [this, drop] { drop->watch(*PageControl); });
}

void TMain::connectControls(int scanInterval)
{
    m_commands = new TProjectCommands(*this, this);
    m_link = new TControllerLink(*this, *PanelScan, scanInterval, this);
    m_sides->setLink(*m_link, *m_commands);

    TMainToolBar& bar = *m_bar;
    connect(bar.TBNew, &QToolButton::clicked, this, &TMain::TBNewClick);
    connect(bar.TBOpen, &QToolButton::clicked, this, &TMain::TBOpenClick);
    connect(bar.TBSave, &QToolButton::clicked, this, &TMain::TBSaveClick);
    connect(bar.TBReport, &QToolButton::clicked, this, &TMain::TBReportClick);
    connect(bar.TBCheck, &QToolButton::clicked, this, &TMain::ShowFindings);
    connect(bar.TBFind, &QToolButton::clicked, this, [this](bool down) {
        if (down && m_makePortDialog)
            m_link->setPortDialog(std::exchange(m_makePortDialog, nullptr)());
        m_link->TBFindClick(down);
    });
    connect(bar.TBRead, &QToolButton::clicked, m_link, &TControllerLink::TBReadClick);
    connect(bar.TBWrite, &QToolButton::clicked, m_link, &TControllerLink::TBWriteClick);
    connect(bar.TBDebug, &QToolButton::clicked, this, &TMain::TBDebugClick);
    connect(bar.ToolButton1, &QToolButton::clicked, this, &TMain::ToolButton1Click);
    connect(bar.ActionMatrix, &QAction::triggered, this, [this] { formMatrix()->showMatrix(); });
    connect(bar.ActionCompareFile, &QAction::triggered, this, [this] { formCompare()->compareWithFile(); });
    connect(bar.ActionCompareController, &QAction::triggered, this, [this] { formCompare()->compareWithController(); });
    connect(bar.ActionBackups, &QAction::triggered, this, [this] { formBackups()->showBackups(); });
    connect(bar.ActionSiteNames, &QAction::triggered, this, [this] { formSiteNames()->showNames(); });
    connect(bar.ActionAcceptance, &QAction::triggered, this, [this] { m_sides->acceptance()->showAcceptance(); });
    m_pack = new TPackCommand(*this,
                              {[this] { return reportInput(); }, [this] { return m_places.projectFile(); },
                               [this]() -> TFilePlaces& { return m_places; }, [this] { return m_state.connected; },
                               [this] { return m_link->identification(); }, [this] { return m_link->serialNumber(); },
                               [this](auto done) { m_sides->readAside(std::move(done)); }});
    bar.addReportMenu(m_pack->action());
    connect(bar.ActionHelp, &QAction::triggered, this, [this] { m_guide.show(); });
    connect(bar.ActionCheck, &QAction::triggered, this, &TMain::ShowFindings);
    // The toolbar keeps its button hidden; the service engineer reaches the
    // diagnostic windows by key, from them as from the main window.
    bar.ActionDebug->setShortcutContext(Qt::ApplicationShortcut);
    connect(bar.ActionDebug, &QAction::triggered, this, &TMain::toggleDiagnostics);
}

void TMain::connectWindows()
{
    m_link->setPortDialog(SetComPort);
    if (FormWord)
        reportWindow();
}

// ---- the state the commands follow ----------------------------------------

void TMain::setState(const TWindowState& state)
{
    m_state = state;
    m_bar->apply(state);
    // A write sends the image as it was when it began and a read replaces
    // it: an edit made meanwhile would be lost either way. The tree may
    // still be browsed.
    PageControl->setEnabled(!state.transfer);
    m_undo->setTransferRunning(state.transfer);
}

void TMain::setTransferUsable(bool usable)
{
    // Connected anew or cut off: the controller compared last may not be
    // the one there now.
    m_sides->controllerChanged();
    setState({m_state.project, usable, m_state.transfer});
}

void TMain::transferStarted()
{
    if (m_link->linkState() == TControllerLink::Write)
        m_sides->controllerChanged();
    setState({m_state.project, m_state.connected, true});
}

void TMain::transferEnded()
{
    setState({m_state.project, m_state.connected, false});
}

void TMain::releaseFind()
{
    m_bar->TBFind->setChecked(false);
}

// ---- TEditorHost --------------------------------------------------------

int TMain::nodeOffset() const
{
    return TNavigationTree::offsetOf(m_loadingNode ? m_loadingNode : TV->currentItem());
}

QString TMain::nodeCaption() const
{
    return TV->currentItem() ? TV->currentItem()->text(0) : QString();
}

QString TMain::parentCaption() const
{
    const QTreeWidgetItem* node = TV->currentItem();
    return node && node->parent() ? node->parent()->text(0) : QString();
}

void TMain::renameInput(int i, const QString& name)
{
    setInputName(i, name);
    m_undo->scheduleRecord();
}

void TMain::reloadPage()
{
    if (TV->currentItem())
        TVChange(TV->currentItem());
}

void TMain::setNodeExpanded(bool expanded)
{
    if (TV->currentItem())
        TV->currentItem()->setExpanded(expanded);
}

int TMain::nodeIndex() const
{
    return TV->indexOf(TV->currentItem());
}

void TMain::applySplitterCount()
{
    PageControl->systemPage()->applySplitterCount();
}

// ---- notifications and reload -------------------------------------------

void TMain::ToolButton2Click()
{
    m_project.imageEdited();
}

void TMain::projectChanged(TProject::Change change, int input)
{
    switch (change) {
    case TProject::Change::InputName: TV->showInputName(input); return;
    case TProject::Change::ProjectName: showTitle(); return;
    case TProject::Change::Saved: setWindowModified(!m_project.saved()); return;
    case TProject::Change::SiteNames:
        // Unsaved and a step of their own, as any edit; a replay sets neither.
        if (!m_undo->replaying()) {
            setSaved(false);
            m_undo->scheduleRecord();
        }
        return;
    case TProject::Change::Image: break;
    }
    RefreshStates();
    if (m_undo->replaying())
        return;
    if (Dbg && Dbg->isVisible())
        Dbg->Refresh(image());
    m_undo->scheduleRecord();
}

void TMain::showTitle()
{
    // Undo may go back to before the first project. Unsaved changes show as
    // the desktop's mark; a name's own "[*]" is no mark.
    QString name = projectName();
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle((name.isEmpty() ? Title : Title + " - " + name) + QStringLiteral("[*]"));
    setWindowModified(!m_project.saved());
}

void TMain::EditorReload()
{
    ++m_shownStamp;
    Loading = true;
    TV->show();
    PageControl->show();

    m_loadingNode = TV->settingsNode();
    PageControl->settingsPage()->load();
    m_loadingNode = TV->systemNode();
    PageControl->systemPage()->load();
    m_loadingNode = nullptr;

    setState({true, m_state.connected, m_state.transfer});
    // Selecting the node runs the selection handler; so does this when the
    // node is selected already.
    if (TV->currentItem() == TV->systemNode())
        TVChange(TV->systemNode());
    else
        TV->setCurrentItem(TV->systemNode());

    // The counts are applied as a user's choice would apply them: the pages'
    // usability follows the image and the counts are written back unchanged.
    PageControl->systemPage()->CBCountChange();
    PageControl->systemPage()->CBModChange();
    PageControl->systemPage()->CBReleChange();
    RefreshStates();

    // Nodes left open from the image replaced stay open only where the new
    // image lets them open; the selection is on the system node by now.
    TV->closeShutBranches();
}

void TMain::TVChange(QTreeWidgetItem* node)
{
    // Before the first project the pages are hidden and not made yet; the
    // first reload loads them.
    if (!PageControl->made())
        return;
    // The user moves to another node; while a whole image is being loaded the
    // page's typing belongs to the image replaced and is dropped with it.
    if (!Loading)
        PageControl->leavePage();
    ++m_shownStamp;
    Loading = true;
    PageControl->showPage(TV->pageFor(node));
    Loading = false;
}

void TMain::replayHistory()
{
    QTreeWidgetItem* selected = TV->currentItem();
    EditorReload();
    // The reload has selected the system composition node.
    if (selected && selected != TV->systemNode())
        TV->showNode(selected);
    // The reload applies the counts as a user's choice would.
    m_project.setSaved(m_project.history().atSaved());
    if (Dbg && Dbg->isVisible())
        Dbg->Refresh(image());
}

// ---- the windows it opens -------------------------------------------------

void TMain::ShowFindings()
{
    formCheck()->showList();
}

TFormSiteNames* TMain::formSiteNames()
{
    if (!m_siteNames)
        m_siteNames
            = new TFormSiteNames(m_project, m_undo->undoAction(), m_undo->redoAction(), m_bar->ActionSave, this);
    return m_siteNames;
}

void TMain::TBDebugClick()
{
    if (Dbg)
        Dbg->show();
    if (FormPort)
        FormPort->show();
}

void TMain::toggleDiagnostics()
{
    if (Dbg && FormPort && Dbg->isVisible() && FormPort->isVisible()) {
        Dbg->hide();
        FormPort->hide();
        return;
    }
    TBDebugClick();
}

void TMain::TBReportClick(bool down)
{
    if (down)
        reportWindow()->show();
    else if (FormWord)
        FormWord->release();
}

TFormWord* TMain::reportWindow()
{
    if (!FormWord)
        FormWord = new TFormWord(this);
    if (m_report == FormWord)
        return FormWord;
    m_report = FormWord;
    FormWord->setAttribute(Qt::WA_QuitOnClose, false);
    FormWord->setInputProvider([this] { return reportInput(); });
    FormWord->setFilePlaces(&m_places);
    connect(FormWord, &TFormWord::finished, this, [this] { m_bar->TBReport->setChecked(false); });
    connect(FormWord, &TFormWord::failed, this, [](const QString& reason) {
        std::fprintf(stderr, "kt7config: report: %s\n", qPrintable(reason));
        if (FormPort && FormPort->isVisible())
            FormPort->logNote(QStringLiteral("Отчет: ") + reason);
    });
    return FormWord;
}

// ---- projects and closing ---------------------------------------------------

bool TMain::mayReplaceImage()
{
    return m_link->mayReplaceImage();
}

void TMain::stopLink()
{
    m_link->stop();
}

void TMain::closeEvent(QCloseEvent* event)
{
    event->setAccepted(FormClose());
}
