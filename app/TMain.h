#pragma once
// The main window: it owns the controller image and the state that several
// parts of the program share, shows the navigation tree and the page of the
// selected node, and carries the toolbar and the status bar.

#include "app/TCheckHost.h"
#include "app/TEditHistory.h"
#include "app/TLinkHost.h"
#include "app/TProjectHost.h"
#include "editor/TEditorHost.h"
#include "image/TImage.h"
#include "report/TReportInput.h"

#include <QMainWindow>

#include <array>

class QLabel;
class QModelIndex;
class QMimeData;
class QStackedWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TAlgorithmPage;
class TControllerLink;
class TFormCheck;
class TProjectCommands;
class TPromptPage;
class TScanPanel;
class TSettingsPage;
class TStagePage;
class TSystemPage;
class TZonePage;

class TMain : public QMainWindow, public TEditorHost, public TLinkHost, public TProjectHost, public TCheckHost {
    Q_OBJECT
public:
    enum Page { PageSystem, PageSettings, PageButtons, PageGroups, PageZones, PageAlgorithm, PageStage, PageInputs };
    static constexpr int OffsetRole = Qt::UserRole;
    static constexpr int MarkRole = Qt::UserRole + 1;

    TMain();
    // Each port the scan tries gets scanInterval ms.
    explicit TMain(int scanInterval);

    // Shared state.
    TImage& image() override { return Image; }
    bool saved() const override { return Saved; }
    void setSaved(bool saved) { Saved = saved; }
    QString projectName() const override { return ProjectName; }
    void setLoading(bool loading) { Loading = loading; }

    // TEditorHost
    bool loading() const override { return Loading; }
    int nodeOffset() const override;
    void imageChanged() override { ToolButton2Click(); }
    void refreshStates() override { RefreshStates(); }
    void reloadPage() override;
    unsigned shownStamp() const override { return m_shownStamp; }
    void applySplitterCount() override;
    void setUsableSplitters(int splitters) override;
    void setUsableMessageModules(int modules) override;
    void setUsableRelayModules(int modules) override;
    QString nodeCaption() const override;
    QString parentCaption() const override;
    void setNodeCaption(const QString& caption) override;
    void setNodeExpanded(bool expanded) override;
    int nodeIndex() const override;

    // TLinkHost
    void setTransferUsable(bool usable) override;
    void releaseFind() override;
    // Undo and redo wait while a transfer reads into or sends from the image.
    void transferStarted() override { m_transferRunning = true; }
    void transferEnded() override { m_transferRunning = false; }
    bool approveWrite() override;

    // TCheckHost
    std::vector<TConfigFinding> findings() const override;
    bool selectFindingNode(const TConfigFinding& finding) override;
    // Shows the list of the configuration check's findings (F8).
    void ShowFindings();
    TFormCheck* formCheck() const { return m_check; }

    // TProjectHost
    bool mayReplaceImage() override;
    void stopLink() override;

    // The image-changed notification: unsaved, and the dump refreshed if shown.
    void ToolButton2Click();
    // Brings tree and pages in line with an image replaced or sent as a whole.
    void EditorReload() override;
    void SetProjectName(const QString& name) override;
    // Runs whenever the tree selection changes.
    void TVChange(QTreeWidgetItem* node);
    void RefreshStates();
    // Shows the dump and the traffic log.
    void TBDebugClick();
    void TBReportClick(bool down);
    void TBNewClick();
    void TBOpenClick();
    void TBSaveClick();
    // Asks the window to close; the close is guarded by FormClose.
    void ToolButton1Click();
    // True when the window may close.
    bool FormClose();
    // What the report reads from the window.
    TReportInput reportInput() const;
    // Connects the windows created after the main window.
    void connectWindows();
    // Opens the project named on the command line; a file that cannot be
    // opened leaves the tool without a project and says why.
    void OpenAtStart(const QString& path);

    // Undo and redo of the changes made through the pages and of a completed
    // controller read: the image and the names come back as they were, the
    // pages are reloaded and the selected node is kept where it still may be.
    void Undo();
    void Redo();
    // New and Open start a history of their own.
    void ClearHistory() override;
    // A completed save under a name: the project is saved, and the history
    // knows its state so that undo and redo can tell when the project is
    // back to it.
    void ProjectSaved(const QString& name) override;
    const TEditHistory& history() const { return m_history; }

    // Tree nodes.
    QTreeWidgetItem* systemNode() const { return m_systemNode; }
    QTreeWidgetItem* settingsNode() const { return m_settingsNode; }
    QTreeWidgetItem* buttonsRoot() const { return m_buttonsRoot; }
    QTreeWidgetItem* groupsRoot() const { return m_groupsRoot; }
    QTreeWidgetItem* algorithmsRoot() const { return m_algorithmsRoot; }
    QTreeWidgetItem* buttonNode(int k) const;
    QTreeWidgetItem* groupNode(int g) const;
    QTreeWidgetItem* inputNode(int i) const;
    QTreeWidgetItem* stageNode(int i, int k) const;
    // Caption text after the first blank (the whole caption if it has none).
    QString inputName(int i) const override;
    void setInputName(int i, const QString& name) override;

    TSystemPage* systemPage() const { return m_systemPage; }
    TSettingsPage* settingsPage() const { return m_settingsPage; }

    void setStatusText(int panel, const QString& text) override;
    QString statusText(int panel) const;
    TScanPanel* scanPanel() const { return PanelScan; }
    TControllerLink* link() const { return m_link; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // A project file dropped on the window is opened; anything else is refused.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolBar();
    void buildStatusBar();
    void buildTree();
    void buildPages();
    void connectControls(int scanInterval);
    QToolButton* addToolButton(const QString& name, const QString& caption, const QIcon& icon, bool checkable);
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& caption, int offset);
    QTreeWidgetItem* nodeAt(const QModelIndex& index) const;

    int nodeMark(const QTreeWidgetItem* node) const;
    Page pageFor(const QTreeWidgetItem* node) const;
    bool expandable(const QTreeWidgetItem* node) const;
    bool mayExpand(QTreeWidgetItem* node);
    bool reachable(const QTreeWidgetItem* node) const;
    void onCurrentChanged(QTreeWidgetItem* current);
    void onExpanded(QTreeWidgetItem* node);
    void onCollapsed(QTreeWidgetItem* node);

    TEditState editState() const;
    void scheduleRecord();
    void recordStep();
    void stepHistory(bool (TEditHistory::*move)());
    void restoreSelection(QTreeWidgetItem* node);
    // Opens the branches above a reachable node and selects it; false when
    // the node cannot be reached.
    bool showNode(QTreeWidgetItem* node);
    // The local .usr file that a drop carries, or an empty text.
    static QString droppedProject(const QMimeData* data);

    TImage Image;
    QString ProjectName;
    bool Saved = true;
    bool Loading = false;

    QToolButton* TBNew;
    QToolButton* TBOpen;
    QToolButton* TBSave;
    QToolButton* TBReport;
    QToolButton* TBFind;
    QToolButton* TBRead;
    QToolButton* TBWrite;
    QToolButton* TBDebug;
    QToolButton* ToolButton1;
    QTreeWidget* TV;
    QStackedWidget* PageControl;
    TScanPanel* PanelScan;
    std::array<QLabel*, 3> m_panels{};

    QTreeWidgetItem* m_systemNode;
    QTreeWidgetItem* m_settingsNode;
    QTreeWidgetItem* m_buttonsRoot;
    QTreeWidgetItem* m_groupsRoot;
    QTreeWidgetItem* m_algorithmsRoot;
    // Set while the reload loads a page for a node other than the selected one.
    QTreeWidgetItem* m_loadingNode = nullptr;
    // Set while the selection moves to a node that was just closed.
    bool m_closingBranch = false;
    // Changes whenever a page is loaded for a node or the image is replaced.
    unsigned m_shownStamp = 0;

    TSystemPage* m_systemPage;
    TSettingsPage* m_settingsPage;
    TPromptPage* m_buttonsPage;
    TPromptPage* m_groupsPage;
    TZonePage* m_zonePage;
    TAlgorithmPage* m_algorithmPage;
    TStagePage* m_stagePage;
    TPromptPage* m_inputsPage;
    TProjectCommands* m_commands = nullptr;
    TControllerLink* m_link = nullptr;
    TFormCheck* m_check = nullptr;

    TEditHistory m_history;
    // A change waits to be taken into the history until the event that made
    // it has been handled, so one user action is one step.
    bool m_recordPending = false;
    // Set while undo or redo reloads the editor.
    bool m_replaying = false;
    bool m_transferRunning = false;
};

extern TMain* Main;
