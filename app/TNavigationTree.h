#pragma once
// The navigation tree of the main window and its rules: which node carries
// which image offset and shows which page, the state marks drawn from the
// image, which branches may open and which nodes can be reached. The input
// nodes' captions show the project's algorithm names.

#include "report/TConfigFinding.h"

#include <QTreeWidget>

#include <functional>

class TProject;

class TNavigationTree : public QTreeWidget {
    Q_OBJECT
public:
    enum Page { PageSystem, PageSettings, PageButtons, PageGroups, PageZones, PageAlgorithm, PageStage, PageInputs };
    static constexpr int OffsetRole = Qt::UserRole;
    static constexpr int MarkRole = Qt::UserRole + 1;

    // Whether the groups of telephone paging and the console buttons may open:
    // the pages that show the settings tell.
    using BranchRule = std::function<bool()>;

    TNavigationTree(const TProject& project, BranchRule groupsOpen, BranchRule buttonsOpen, QWidget* parent);

    QTreeWidgetItem* systemNode() const { return m_systemNode; }
    QTreeWidgetItem* settingsNode() const { return m_settingsNode; }
    QTreeWidgetItem* buttonsRoot() const { return m_buttonsRoot; }
    QTreeWidgetItem* groupsRoot() const { return m_groupsRoot; }
    QTreeWidgetItem* algorithmsRoot() const { return m_algorithmsRoot; }
    QTreeWidgetItem* buttonNode(int k) const { return m_buttonsRoot->child(k - 1); }
    QTreeWidgetItem* groupNode(int g) const { return m_groupsRoot->child(g - 1); }
    QTreeWidgetItem* inputNode(int i) const { return m_algorithmsRoot->child(i - 1); }
    QTreeWidgetItem* stageNode(int i, int k) const { return inputNode(i)->child(k - 1); }

    Page pageFor(const QTreeWidgetItem* node) const;
    static int offsetOf(const QTreeWidgetItem* node);
    // 1-based position among its siblings (input i, stage k).
    int indexOf(const QTreeWidgetItem* node) const;
    // Draws input i's caption from the project's name for it.
    void showInputName(int i);
    // The state marks again from the image.
    void refreshMarks();
    // Closes the branches left open that may not open under the image now.
    void closeShutBranches();
    // Opens the branches above a reachable node and selects it; false when
    // the node cannot be reached.
    bool showNode(QTreeWidgetItem* node);
    // Shows the node a finding names (as the check names nodes) and takes
    // the keys; false when it cannot be reached now, or before the first
    // project, while the tree is hidden.
    bool showFinding(const TConfigFinding& finding);

signals:
    // The current node changed; the tree opens it afterwards.
    void nodeChosen(QTreeWidgetItem* node);
    // A branch of buttons or groups was asked to open, and may or may not.
    void branchChecked(QTreeWidgetItem* root, bool mayOpen);

private:
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& caption, int offset);
    QTreeWidgetItem* nodeAt(const QModelIndex& index) const;
    int nodeMark(const QTreeWidgetItem* node) const;
    bool expandable(const QTreeWidgetItem* node) const;
    bool mayExpand(QTreeWidgetItem* node);
    bool reachable(const QTreeWidgetItem* node) const;
    void onCurrentChanged(QTreeWidgetItem* current);
    void onExpanded(QTreeWidgetItem* node);
    void onCollapsed(QTreeWidgetItem* node);

    const TProject& m_project;
    BranchRule m_groupsOpen;
    BranchRule m_buttonsOpen;
    QTreeWidgetItem* m_systemNode;
    QTreeWidgetItem* m_settingsNode;
    QTreeWidgetItem* m_buttonsRoot;
    QTreeWidgetItem* m_groupsRoot;
    QTreeWidgetItem* m_algorithmsRoot;
    // Set while the selection moves to a node that was just closed.
    bool m_closingBranch = false;
};
