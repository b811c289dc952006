#pragma once
// The main window: it owns the project, shows the navigation tree and the page
// of the selected node, and carries the toolbar and the status bar. What its
// commands may do follows one state (a project, a controller connected, a
// transfer running), applied in one place whenever it changes; the windows
// beside it, the report window and the guide's window are built when first
// needed.

#include "app/TEditorPages.h"
#include "app/TFilePlaces.h"
#include "app/TGuide.h"
#include "app/TLinkHost.h"
#include "app/TNavigationTree.h"
#include "app/TProjectCommands.h"
#include "app/TProjectHost.h"
#include "app/TSideWindows.h"
#include "app/TStatusPanels.h"
#include "app/TUndoRedo.h"
#include "app/TWindowState.h"
#include "editor/TEditorHost.h"
#include "image/TImage.h"
#include "project/TProject.h"
#include "report/TReportInput.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class TControllerLink;
class TFormBackups;
class TFormCheck;
class TFormCompare;
class TFormMatrix;
class TFormSiteNames;
class TFormWord;
class TMainToolBar;
class TPackCommand;
class TScanPanel;
class TSetComPort;
class TSettingsPage;
class TSystemPage;

class TMain : public QMainWindow, public TEditorHost, public TLinkHost, public TProjectHost {
    Q_OBJECT
public:
    using Page = TNavigationTree::Page;
    using enum TNavigationTree::Page;
    static constexpr int OffsetRole = TNavigationTree::OffsetRole;
    static constexpr int MarkRole = TNavigationTree::MarkRole;

    TMain();
    // Each port the scan tries gets scanInterval ms.
    explicit TMain(int scanInterval);

    // The project, which the pages, the link and the commands edit.
    TProject& project() override { return m_project; }
    TImage& image() override { return m_project.image(); }
    bool saved() const override { return m_project.saved(); }
    void setSaved(bool saved) { m_project.setSaved(saved); }
    QString projectName() const override { return QString::fromStdString(m_project.name()); }
    void setLoading(bool loading) { Loading = loading; }
    TFilePlaces& filePlaces() override { return m_places; }

    // TEditorHost
    bool loading() const override { return Loading; }
    int nodeOffset() const override;
    void imageChanged() override { ToolButton2Click(); }
    void refreshStates() override { RefreshStates(); }
    void reloadPage() override;
    unsigned shownStamp() const override { return m_shownStamp; }
    void applySplitterCount() override;
    void setUsableSplitters(int splitters) override { PageControl->setUsableSplitters(splitters); }
    void setUsableMessageModules(int modules) override { PageControl->setUsableMessageModules(modules); }
    void setUsableRelayModules(int modules) override { PageControl->setUsableRelayModules(modules); }
    QString nodeCaption() const override;
    QString parentCaption() const override;
    void renameInput(int i, const QString& name) override;
    void setNodeExpanded(bool expanded) override;
    int nodeIndex() const override;

    // TLinkHost
    void setTransferUsable(bool usable) override;
    void releaseFind() override;
    // Undo, redo and the pages wait while a transfer reads into or sends
    // from the image.
    void transferStarted() override;
    void transferEnded() override;
    bool approveWrite(const TImage& image) override { return m_sides->approveWrite(image); }

    // The windows beside the main window, built when first asked for: the
    // check's findings (F8), the matrix (Ctrl+M), the differences (F9,
    // Shift+F9) and the backups (Ctrl+B).
    TFormCheck* formCheck() const { return m_sides->check(); }
    TFormMatrix* formMatrix() const { return m_sides->matrix(); }
    TFormCompare* formCompare() const { return m_sides->compare(); }
    TFormBackups* formBackups() const { return m_sides->backups(); }
    void ShowFindings();
    // The user's guide, which F1 shows.
    TGuide& guide() { return m_guide; }
    // The commissioning pack (ActionPack) and the names it shows
    // (ActionSiteNames), whose window is made when first asked for.
    TPackCommand* packCommand() const { return m_pack; }
    TFormSiteNames* formSiteNames();

    // TProjectHost
    bool mayReplaceImage() override;
    void stopLink() override;

    // The image-changed notification: unsaved, and the dump refreshed if shown.
    void ToolButton2Click();
    // Brings tree and pages in line with an image replaced or sent as a whole.
    void EditorReload() override;
    void SetProjectName(const QString& name) override { m_project.setName(name.toStdString()); }
    // Runs whenever the tree selection changes.
    void TVChange(QTreeWidgetItem* node);
    void RefreshStates() { TV->refreshMarks(); }
    // Shows the dump and the traffic log.
    void TBDebugClick();
    // Ctrl+Shift+D: shows the dump and the traffic log, or hides them when
    // both are shown.
    void toggleDiagnostics();
    void TBReportClick(bool down);
    // The report window, made when first needed.
    TFormWord* reportWindow();
    void TBNewClick() { m_commands->TBNewClick(); }
    void TBOpenClick() { m_commands->TBOpenClick(); }
    void TBSaveClick() { m_commands->TBSaveClick(); }
    // Asks the window to close; the close is guarded by FormClose.
    void ToolButton1Click() { close(); }
    // True when the window may close.
    bool FormClose() { return m_commands->FormClose(); }
    // What the report reads from the window.
    TReportInput reportInput() const { return PageControl->reportInput(m_project); }
    // Connects the windows created after the main window.
    void connectWindows();
    // Makes the port dialog when "Подключить" first asks for it; without a
    // maker, the one connectWindows() found is used.
    void setPortDialogMaker(std::function<TSetComPort*()> make) { m_makePortDialog = std::move(make); }
    // Opens the project named on the command line; a file that cannot be
    // opened leaves the tool without a project and says why.
    void OpenAtStart(const QString& path) { m_commands->openAtStart(path); }

    // Undo and redo of the changes made through the pages and of a completed
    // controller read: the image and the names come back as they were, the
    // pages are reloaded and the selected node is kept where it still may be.
    void Undo() { m_undo->undo(); }
    void Redo() { m_undo->redo(); }
    // New and Open start a history of their own.
    void ClearHistory() override { m_undo->clear(); }
    // A completed save under a name: the project is saved, and the history
    // knows its state so that undo and redo can tell when the project is
    // back to it.
    void ProjectSaved(const QString& name) override { m_undo->saved(name.toStdString()); }
    const TEditHistory& history() const { return m_project.history(); }

    // Tree nodes.
    QTreeWidgetItem* systemNode() const { return TV->systemNode(); }
    QTreeWidgetItem* settingsNode() const { return TV->settingsNode(); }
    QTreeWidgetItem* buttonsRoot() const { return TV->buttonsRoot(); }
    QTreeWidgetItem* groupsRoot() const { return TV->groupsRoot(); }
    QTreeWidgetItem* algorithmsRoot() const { return TV->algorithmsRoot(); }
    QTreeWidgetItem* buttonNode(int k) const { return TV->buttonNode(k); }
    QTreeWidgetItem* groupNode(int g) const { return TV->groupNode(g); }
    QTreeWidgetItem* inputNode(int i) const { return TV->inputNode(i); }
    QTreeWidgetItem* stageNode(int i, int k) const { return TV->stageNode(i, k); }
    QString inputName(int i) const override { return QString::fromStdString(m_project.inputName(i)); }
    void setInputName(int i, const QString& name) { m_project.setInputName(i, name.toStdString()); }

    TSystemPage* systemPage() const { return PageControl->systemPage(); }
    TSettingsPage* settingsPage() const { return PageControl->settingsPage(); }

    void setStatusText(int panel, const QString& text) override { m_status->setText(panel, text); }
    QString statusText(int panel) const { return m_status->text(panel); }
    TScanPanel* scanPanel() const { return PanelScan; }
    TControllerLink* link() const { return m_link; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls(int scanInterval);
    // The one place the commands follow the window's state.
    void setState(const TWindowState& state);

    // Keeps the tree's captions, the title and the marks in line with the project.
    void projectChanged(TProject::Change change, int input);
    void showTitle();
    // The project has stepped back or forward: tree and pages follow it, and
    // the selected node is kept where it still may be.
    void replayHistory();

    TProject m_project;
    TProject::Subscription m_subscription;
    TFilePlaces m_places{m_project};
    bool Loading = false;
    TWindowState m_state;

    TMainToolBar* m_bar;
    TStatusPanels* m_status;
    TNavigationTree* TV;
    TEditorPages* PageControl;
    TScanPanel* PanelScan;

    // Set while the reload loads a page for a node other than the selected one.
    QTreeWidgetItem* m_loadingNode = nullptr;
    // Changes whenever a page is loaded for a node or the image is replaced.
    unsigned m_shownStamp = 0;

    TProjectCommands* m_commands = nullptr;
    TControllerLink* m_link = nullptr;
    TSideWindows* m_sides = nullptr;
    TPackCommand* m_pack = nullptr;
    QPointer<TFormSiteNames> m_siteNames;
    TUndoRedo* m_undo = nullptr;
    std::function<TSetComPort*()> m_makePortDialog;
    // The report window this window has wired to itself.
    QPointer<TFormWord> m_report;
    TGuide m_guide{*this};
};

extern TMain* Main;
