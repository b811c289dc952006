#pragma once
// The main window: it owns the project, shows the navigation tree and the page of the
// selected node, and carries the toolbar and the status bar.

#include "app/TBackupsHost.h"
#include "app/TCheckHost.h"
#include "app/TCompareHost.h"
#include "app/TEditorPages.h"
#include "app/TGuide.h"
#include "app/TLinkHost.h"
#include "app/TMatrixHost.h"
#include "app/TNavigationTree.h"
#include "app/TProjectCommands.h"
#include "app/TProjectHost.h"
#include "app/TUndoRedo.h"
#include "editor/TEditorHost.h"
#include "image/TImage.h"
#include "project/TProject.h"
#include "report/TReportInput.h"

#include <QMainWindow>

#include <array>

class QLabel;
class QToolBar;
class QToolButton;
class TControllerLink;
class TFormBackups;
class TFormCheck;
class TFormCompare;
class TFormMatrix;
class TFormSiteNames;
class TPackCommand;
class TScanPanel;
class TSettingsPage;
class TSystemPage;

class TMain : public QMainWindow,
              public TEditorHost,
              public TLinkHost,
              public TProjectHost,
              public TCheckHost,
              public TMatrixHost,
              public TCompareHost,
              public TBackupsHost {
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
    // Undo and redo wait while a transfer reads into or sends from the image.
    void transferStarted() override;
    void transferEnded() override;
    bool approveWrite(const TImage& image) override;

    // TCheckHost
    std::vector<TConfigFinding> findings() const override;
    bool selectFindingNode(const TConfigFinding& finding) override;
    // Shows the list of the configuration check's findings (F8).
    void ShowFindings();
    TFormCheck* formCheck() const { return m_check; }
    // The user's guide, which F1 shows.
    TGuide& guide() { return m_guide; }
    // The cause-and-effect matrix (ActionMatrix, Ctrl+M).
    TFormMatrix* formMatrix() const { return m_matrix; }

    // TCompareHost
    void readAside(std::function<void(const TImage& image)> done) override;
    // The differences window (ActionCompareFile, ActionCompareController).
    TFormCompare* formCompare() const { return m_compare; }

    // TBackupsHost
    void compareWithBackup(const TImage& image, const QString& fileName) override;
    void openBackup(const TImage& image, const QString& projectName) override;
    void writeBackup(const TImage& image, const std::string& serial) override;
    // The backups window (ActionBackups).
    TFormBackups* formBackups() const { return m_backups; }
    // The commissioning pack (ActionPack) and the names it shows (ActionSiteNames).
    TPackCommand* packCommand() const { return m_pack; }
    TFormSiteNames* formSiteNames() const { return m_siteNames; }

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
    void TBReportClick(bool down);
    void TBNewClick() { m_commands->TBNewClick(); }
    void TBOpenClick() { m_commands->TBOpenClick(); }
    void TBSaveClick() { m_commands->TBSaveClick(); }
    // Asks the window to close; the close is guarded by FormClose.
    void ToolButton1Click() { close(); }
    // True when the window may close.
    bool FormClose() { return m_commands->FormClose(); }
    // What the report reads from the window.
    TReportInput reportInput() const;
    // Connects the windows created after the main window.
    void connectWindows();
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

    void setStatusText(int panel, const QString& text) override;
    QString statusText(int panel) const;
    TScanPanel* scanPanel() const { return PanelScan; }
    TControllerLink* link() const { return m_link; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolBar();
    void buildShortcuts();
    // "Сравнить" beside "Матрица": a menu of the comparisons and the backups.
    void buildCompareMenu(QToolBar* bar, QToolButton* after);
    // The report button's menu: the commissioning pack and the site's names.
    void buildPack();
    // The controller's image can be read: connected, a project to compare with.
    void updateControllerCompare();
    void buildStatusBar();
    void buildTree();
    void connectControls(int scanInterval);
    QToolButton* addToolButton(const QString& name, const QString& caption, const QIcon& icon, bool checkable);

    // Keeps the tree's captions, the title and the marks in line with the project.
    void projectChanged(TProject::Change change, int input);
    // The project has stepped back or forward: tree and pages follow it, and
    // the selected node is kept where it still may be.
    void replayHistory();

    TProject m_project;
    bool Loading = false;

    QToolButton* TBNew;
    QToolButton* TBOpen;
    QToolButton* TBSave;
    QToolButton* TBReport;
    QToolButton* TBCheck;
    QToolButton* TBFind;
    QToolButton* TBRead;
    QToolButton* TBWrite;
    QToolButton* TBDebug;
    QToolButton* ToolButton1;
    QAction* ActionMatrix;
    QAction* ActionBackups;
    QAction* ActionCompareFile;
    QAction* ActionCompareController;
    QAction* ActionSiteNames;
    TNavigationTree* TV;
    TEditorPages* PageControl;
    TScanPanel* PanelScan;
    std::array<QLabel*, 3> m_panels{};

    // Set while the reload loads a page for a node other than the selected one.
    QTreeWidgetItem* m_loadingNode = nullptr;
    // Changes whenever a page is loaded for a node or the image is replaced.
    unsigned m_shownStamp = 0;

    TProjectCommands* m_commands = nullptr;
    TControllerLink* m_link = nullptr;
    TFormCheck* m_check = nullptr;
    TFormMatrix* m_matrix = nullptr;
    TFormCompare* m_compare = nullptr;
    TFormBackups* m_backups = nullptr;
    TPackCommand* m_pack = nullptr;
    TFormSiteNames* m_siteNames = nullptr;
    TUndoRedo* m_undo = nullptr;
    TGuide m_guide;

    bool m_transferRunning = false;
};

extern TMain* Main;
