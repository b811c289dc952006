#include "app/TNavigationTree.h"

#include "app/TNodeSelectionModel.h"
#include "app/TStateMarks.h"
#include "image/TAlarmRecord.h"
#include "project/TProject.h"

#include <utility>
#include <vector>

TNavigationTree::TNavigationTree(const TProject& project, BranchRule groupsOpen, BranchRule buttonsOpen,
                                 QWidget* parent)
    : QTreeWidget(parent), m_project(project), m_groupsOpen(std::move(groupsOpen)),
      m_buttonsOpen(std::move(buttonsOpen))
{
    setObjectName("TV");
    setHeaderHidden(true);
    setFixedWidth(260);

    // The nodes are made first and given to the view in one step: a view
    // told of each of its 173 nodes alone would lay itself out 173 times.
    m_systemNode = addNode(nullptr, QStringLiteral("Конфигурация системы"), Layout::SystemNode);
    m_settingsNode = addNode(nullptr, QStringLiteral("Функциональные настройки"), Layout::SystemNode);
    m_buttonsRoot = addNode(nullptr, QStringLiteral("Прогр. кнопок пульта  диктора"), Layout::ButtonTable);
    m_groupsRoot = addNode(nullptr, QStringLiteral("Прогр. групп телеф. пейджинга"), Layout::GroupTable);
    m_algorithmsRoot = addNode(nullptr, QStringLiteral("Алгоритмы"), 0);
    for (int c = 1; c <= Layout::MaskCount; ++c) {
        addNode(m_groupsRoot, QStringLiteral("Группа %1 (Код-%2)").arg(c).arg(Layout::GroupCodeBase + c),
                Layout::groupOffset(c));
        addNode(m_buttonsRoot, QStringLiteral("Кнопка %1").arg(c), Layout::buttonOffset(c));
    }
    for (int i = 1; i <= Layout::InputCount; ++i) {
        QTreeWidgetItem* input = addNode(m_algorithmsRoot, QStringLiteral("IN-%1 ").arg(i), Layout::recordOffset(i));
        for (int k = 1; k <= Layout::StageCount; ++k)
            addNode(input, QStringLiteral("Этап %1").arg(k), Layout::stageOffset(i, k));
    }
    addTopLevelItems({m_systemNode, m_settingsNode, m_buttonsRoot, m_groupsRoot, m_algorithmsRoot});

    // A node that cannot be reached is refused before the view moves its
    // highlight or its current node, for clicks and keys alike.
    QItemSelectionModel* plain = selectionModel();
    setSelectionModel(new TNodeSelectionModel(
        model(),
        [this](const QModelIndex& index) {
            const QTreeWidgetItem* node = nodeAt(index);
            return node && nodeMark(node) == TStateMarks::Unreachable;
        },
        this));
    delete plain;

    // QTreeWidget's own currentItemChanged stays tied to the selection model it was built with.
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { onCurrentChanged(nodeAt(current)); });
    connect(this, &QTreeWidget::itemExpanded, this, &TNavigationTree::onExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &TNavigationTree::onCollapsed);
}

QTreeWidgetItem* TNavigationTree::addNode(QTreeWidgetItem* parent, const QString& caption, int offset)
{
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem();
    node->setText(0, caption);
    node->setData(0, OffsetRole, offset);
    node->setData(0, MarkRole, TStateMarks::None);
    return node;
}

QTreeWidgetItem* TNavigationTree::nodeAt(const QModelIndex& index) const
{
    if (!index.isValid())
        return nullptr;
    if (!index.parent().isValid())
        return topLevelItem(index.row());
    QTreeWidgetItem* parent = nodeAt(index.parent());
    return parent ? parent->child(index.row()) : nullptr;
}

int TNavigationTree::offsetOf(const QTreeWidgetItem* node)
{
    return node ? node->data(0, OffsetRole).toInt() : 0;
}

int TNavigationTree::indexOf(const QTreeWidgetItem* node) const
{
    if (!node)
        return 0;
    auto* item = const_cast<QTreeWidgetItem*>(node);
    return node->parent() ? node->parent()->indexOfChild(item) + 1 : indexOfTopLevelItem(item) + 1;
}

void TNavigationTree::showInputName(int i)
{
    inputNode(i)->setText(0, QStringLiteral("IN-%1 ").arg(i) + QString::fromStdString(m_project.inputName(i)));
}

TNavigationTree::Page TNavigationTree::pageFor(const QTreeWidgetItem* node) const
{
    if (node == m_systemNode)
        return PageSystem;
    if (node == m_settingsNode)
        return PageSettings;
    if (node == m_buttonsRoot)
        return PageButtons;
    if (node == m_groupsRoot)
        return PageGroups;
    if (node == m_algorithmsRoot)
        return PageInputs;
    const QTreeWidgetItem* parent = node->parent();
    if (parent == m_buttonsRoot || parent == m_groupsRoot)
        return PageZones;
    if (parent == m_algorithmsRoot)
        return PageAlgorithm;
    return PageStage;
}

int TNavigationTree::nodeMark(const QTreeWidgetItem* node) const
{
    const QTreeWidgetItem* parent = node->parent();
    if (!parent)
        return TStateMarks::None;
    const int offset = offsetOf(node);
    if (parent == m_buttonsRoot || parent == m_groupsRoot)
        return m_project.image().anySet(offset, Layout::MaskSize) ? TStateMarks::On : TStateMarks::Off;
    TImage& image = const_cast<TImage&>(m_project.image());
    if (parent == m_algorithmsRoot) {
        const int i = indexOf(node);
        if (i > 1 && !TAlarmRecord(image, i - 1).enabled())
            return TStateMarks::Unreachable;
        return TAlarmRecord(image, i).enabled() ? TStateMarks::On : TStateMarks::Off;
    }
    const int k = indexOf(node);
    const TStageRecord stage(image, offset);
    if (k > 1 && TStageRecord(image, offset - Layout::StageSize).endsRun())
        return TStateMarks::Unreachable;
    return stage.isOn() ? TStateMarks::On : TStateMarks::Off;
}

void TNavigationTree::refreshMarks()
{
    const auto refresh = [this](QTreeWidgetItem* node) {
        const int mark = nodeMark(node);
        if (node->data(0, MarkRole).toInt() == mark)
            return;
        node->setData(0, MarkRole, mark);
        node->setIcon(0, TStateMarks::icon(mark));
    };
    for (QTreeWidgetItem* root : {m_buttonsRoot, m_groupsRoot, m_algorithmsRoot}) {
        for (int c = 0; c < root->childCount(); ++c) {
            QTreeWidgetItem* node = root->child(c);
            refresh(node);
            for (int s = 0; s < node->childCount(); ++s)
                refresh(node->child(s));
        }
    }
}

void TNavigationTree::onCurrentChanged(QTreeWidgetItem* current)
{
    if (!current)
        return;
    emit nodeChosen(current);
    // The tree opens a node when it is selected, but not the node that takes
    // the selection because it was just closed.
    if (current->childCount() > 0 && !m_closingBranch)
        current->setExpanded(true);
}

bool TNavigationTree::expandable(const QTreeWidgetItem* node) const
{
    if (node == m_groupsRoot)
        return m_groupsOpen();
    if (node == m_buttonsRoot)
        return m_buttonsOpen();
    if (node->parent() == m_algorithmsRoot)
        return nodeMark(node) != TStateMarks::Unreachable
            && TAlarmRecord(const_cast<TImage&>(m_project.image()), indexOf(node)).enabled();
    return true;
}

bool TNavigationTree::mayExpand(QTreeWidgetItem* node)
{
    const bool may = expandable(node);
    if (node == m_groupsRoot || node == m_buttonsRoot)
        emit branchChecked(node, may);
    return may;
}

bool TNavigationTree::reachable(const QTreeWidgetItem* node) const
{
    for (const QTreeWidgetItem* above = node->parent(); above; above = above->parent())
        if (!expandable(above))
            return false;
    return nodeMark(node) != TStateMarks::Unreachable;
}

void TNavigationTree::onExpanded(QTreeWidgetItem* node)
{
    if (!mayExpand(node)) {
        const QSignalBlocker blocker(this);
        node->setExpanded(false);
    }
}

void TNavigationTree::onCollapsed(QTreeWidgetItem* node)
{
    // A hidden node cannot stay selected: the selection moves to the node closed.
    for (QTreeWidgetItem* n = currentItem(); n; n = n->parent())
        if (n->parent() == node) {
            m_closingBranch = true;
            setCurrentItem(node);
            m_closingBranch = false;
            return;
        }
}

void TNavigationTree::closeShutBranches()
{
    std::vector<QTreeWidgetItem*> branches{m_buttonsRoot, m_groupsRoot};
    for (int i = 1; i <= Layout::InputCount; ++i)
        branches.push_back(inputNode(i));
    for (QTreeWidgetItem* node : branches)
        if (node->isExpanded() && !mayExpand(node))
            node->setExpanded(false);
}

bool TNavigationTree::showNode(QTreeWidgetItem* node)
{
    if (!reachable(node))
        return false;
    QList<QTreeWidgetItem*> branch;
    for (QTreeWidgetItem* above = node->parent(); above; above = above->parent())
        branch.prepend(above);
    for (QTreeWidgetItem* above : branch)
        above->setExpanded(true);
    setCurrentItem(node);
    return currentItem() == node;
}

bool TNavigationTree::showFinding(const TConfigFinding& finding)
{
    using Node = TConfigFinding::Node;
    QTreeWidgetItem* node = nullptr;
    switch (finding.node) {
    case Node::System: node = m_systemNode; break;
    case Node::Settings: node = m_settingsNode; break;
    case Node::Buttons: node = m_buttonsRoot; break;
    case Node::Groups: node = m_groupsRoot; break;
    case Node::Button: node = buttonNode(finding.number); break;
    case Node::Group: node = groupNode(finding.number); break;
    case Node::Input: node = inputNode(finding.number); break;
    case Node::Stage: node = stageNode(finding.number, finding.stage); break;
    }
    if (!node || !isVisible() || !showNode(node))
        return false;
    // Keys meant for the list must not reach the control a page had last:
    // the tree's selected node takes them.
    window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
    return true;
}
