#include "app/TMain.h"

#include "app/TControllerLink.h"
#include "app/TFormCheck.h"
#include "app/TFormWord.h"
#include "app/TNodeSelectionModel.h"
#include "app/TProjectCommands.h"
#include "app/TScanPanel.h"
#include "app/TSetComPort.h"
#include "app/TStateMarks.h"
#include "diag/TDbg.h"
#include "diag/TFormPort.h"
#include "editor/TAlgorithmPage.h"
#include "editor/TPromptPage.h"
#include "editor/TSettingsPage.h"
#include "editor/TStagePage.h"
#include "editor/TSystemPage.h"
#include "editor/TZonePage.h"
#include "image/TAlarmRecord.h"
#include "report/TConfigCheck.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include <cstdio>
#include <vector>

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
    setWindowTitle(Title);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Image.clear();
    buildToolBar();
    buildStatusBar();

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    TV = new QTreeWidget(central);
    TV->setObjectName("TV");
    TV->setHeaderHidden(true);
    TV->setFixedWidth(260);
    PageControl = new QStackedWidget(central);
    PageControl->setObjectName("PageControl");
    layout->addWidget(TV);
    layout->addWidget(PageControl, 1);
    setCentralWidget(central);

    buildPages();
    buildTree();

    // A node that cannot be reached is refused before the view moves its
    // highlight or its current node, for clicks and keys alike.
    QItemSelectionModel* plain = TV->selectionModel();
    TV->setSelectionModel(new TNodeSelectionModel(
        TV->model(),
        [this](const QModelIndex& index) {
            const QTreeWidgetItem* node = nodeAt(index);
            return node && nodeMark(node) == TStateMarks::Unreachable;
        },
        TV));
    delete plain;

    // QTreeWidget's own currentItemChanged stays tied to the selection model it was built with.
    connect(TV->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { onCurrentChanged(nodeAt(current)); });
    connect(TV, &QTreeWidget::itemExpanded, this, &TMain::onExpanded);
    connect(TV, &QTreeWidget::itemCollapsed, this, &TMain::onCollapsed);

    TV->setCurrentItem(m_systemNode);
    RefreshStates();
    Saved = true;
    setStatusText(0, QStringLiteral("Нет подключения"));

    PanelScan = new TScanPanel(this);
    PanelScan->centreOnParent();

    TV->hide();
    PageControl->hide();
    connectControls(scanInterval);

    m_history.reset(editState());
    m_history.markSaved();

    // Fields that take dropped text would swallow a dropped file: files are
    // the window's business wherever they are dropped.
    setAcceptDrops(true);
    for (QWidget* child : findChildren<QWidget*>())
        if (child->acceptDrops())
            child->installEventFilter(this);
}

QToolButton* TMain::addToolButton(const QString& name, const QString& caption, const QIcon& icon, bool checkable)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(icon);
    button->setCheckable(checkable);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMinimumWidth(64);
    return button;
}

void TMain::buildToolBar()
{
    auto* bar = new QToolBar(this);
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, bar);
    struct Button {
        QToolButton* TMain::*member;
        const char* name;
        QString caption;
        const char* icon;
        bool checkable;
        bool enabled;
    };
    const Button buttons[] = {
        {&TMain::TBNew, "TBNew", "Создать", "new", false, true},
        {&TMain::TBOpen, "TBOpen", "Открыть", "open", false, true},
        {&TMain::TBSave, "TBSave", "Сохранить", "save", false, false},
        {&TMain::TBReport, "TBReport", "Отчет", "report", true, false},
        {&TMain::TBFind, "TBFind", "Подключить", "connect", true, true},
        {&TMain::TBRead, "TBRead", "Чтение", "read", false, false},
        {&TMain::TBWrite, "TBWrite", "Запись", "write", false, false},
        {&TMain::TBDebug, "TBDebug", "Отладка", "debug", false, true},
        {&TMain::ToolButton1, "ToolButton1", "Выход", "exit", false, true},
    };
    for (const Button& b : buttons) {
        QToolButton* button
            = addToolButton(b.name, b.caption, QIcon(QStringLiteral(":/icons/%1.svg").arg(b.icon)), b.checkable);
        button->setEnabled(b.enabled);
        this->*b.member = button;
        QAction* action = bar->addWidget(button);
        if (button == TBDebug)
            action->setVisible(false);
    }
}

void TMain::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    const int widths[] = {200, 200, 100};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(widths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i < 2)
            panel->setAlignment(Qt::AlignCenter);
        bar->addWidget(panel);
        m_panels[i] = panel;
    }
}

void TMain::buildPages()
{
    m_systemPage = new TSystemPage(*this);
    m_settingsPage = new TSettingsPage(*this);
    m_buttonsPage = new TPromptPage(*this, QStringLiteral("  Выберите кнопку для программирования"), "STPult",
                                    QStringLiteral("В конфигурации системы отсутствуют пульты диктора ! "));
    m_groupsPage = new TPromptPage(
        *this, QStringLiteral("  Выберите группу  телефонного аудио пейджинга"), "StPhone",
        QStringLiteral("В функцональных настройках системы отсутствует телефонный аудио пейджинг ! "));
    m_zonePage = new TZonePage(*this);
    m_algorithmPage = new TAlgorithmPage(*this);
    m_stagePage = new TStagePage(*this);
    m_inputsPage = new TPromptPage(*this, QStringLiteral("  Выберите вход активации"), QString(), QString());
    for (QWidget* page : std::initializer_list<QWidget*>{m_systemPage, m_settingsPage, m_buttonsPage, m_groupsPage,
                                                         m_zonePage, m_algorithmPage, m_stagePage, m_inputsPage})
        PageControl->addWidget(page);
}

QTreeWidgetItem* TMain::addNode(QTreeWidgetItem* parent, const QString& caption, int offset)
{
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TV);
    node->setText(0, caption);
    node->setData(0, OffsetRole, offset);
    node->setData(0, MarkRole, TStateMarks::None);
    return node;
}

void TMain::buildTree()
{
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
}

QTreeWidgetItem* TMain::nodeAt(const QModelIndex& index) const
{
    if (!index.isValid())
        return nullptr;
    if (!index.parent().isValid())
        return TV->topLevelItem(index.row());
    QTreeWidgetItem* parent = nodeAt(index.parent());
    return parent ? parent->child(index.row()) : nullptr;
}

QTreeWidgetItem* TMain::buttonNode(int k) const
{
    return m_buttonsRoot->child(k - 1);
}
QTreeWidgetItem* TMain::groupNode(int g) const
{
    return m_groupsRoot->child(g - 1);
}
QTreeWidgetItem* TMain::inputNode(int i) const
{
    return m_algorithmsRoot->child(i - 1);
}
QTreeWidgetItem* TMain::stageNode(int i, int k) const
{
    return inputNode(i)->child(k - 1);
}

QString TMain::inputName(int i) const
{
    const QString caption = inputNode(i)->text(0);
    const int blank = caption.indexOf(' ');
    return blank < 0 ? caption : caption.mid(blank + 1);
}

void TMain::setInputName(int i, const QString& name)
{
    const QString caption = inputNode(i)->text(0);
    const int blank = caption.indexOf(' ');
    inputNode(i)->setText(0, (blank < 0 ? caption + ' ' : caption.left(blank + 1)) + name);
}

// ---- TEditorHost --------------------------------------------------------

int TMain::nodeOffset() const
{
    const QTreeWidgetItem* node = m_loadingNode ? m_loadingNode : TV->currentItem();
    return node ? node->data(0, OffsetRole).toInt() : 0;
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

void TMain::setNodeCaption(const QString& caption)
{
    if (TV->currentItem())
        TV->currentItem()->setText(0, caption);
    if (m_check)
        m_check->refreshIfShown();
    scheduleRecord();
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
    const QTreeWidgetItem* node = TV->currentItem();
    if (!node)
        return 0;
    return node->parent() ? node->parent()->indexOfChild(const_cast<QTreeWidgetItem*>(node)) + 1
                          : TV->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node)) + 1;
}

void TMain::applySplitterCount()
{
    m_systemPage->applySplitterCount();
}

void TMain::setUsableSplitters(int splitters)
{
    m_settingsPage->setUsableSplitters(splitters);
    m_stagePage->setUsableSplitters(splitters);
    m_zonePage->setUsableSplitters(splitters);
}

void TMain::setUsableMessageModules(int modules)
{
    m_stagePage->setUsableMessageModules(modules);
}

void TMain::setUsableRelayModules(int modules)
{
    m_stagePage->setUsableRelayModules(modules);
}

// ---- notifications and reload -------------------------------------------

void TMain::ToolButton2Click()
{
    Saved = false;
    RefreshStates();
    if (m_check)
        m_check->refreshIfShown();
    if (m_replaying)
        return;
    if (Dbg && Dbg->isVisible())
        Dbg->Refresh(Image);
    scheduleRecord();
}

void TMain::TBDebugClick()
{
    if (Dbg)
        Dbg->show();
    if (FormPort)
        FormPort->show();
}

void TMain::TBReportClick(bool down)
{
    if (!FormWord)
        return;
    if (down)
        FormWord->show();
    else
        FormWord->release();
}

TReportInput TMain::reportInput() const
{
    TReportInput input;
    input.projectName = ProjectName.toStdString();
    const QStringList counts = m_systemPage->shownCounts();
    input.splitterCount = counts[0].toStdString();
    input.consoleCount = counts[1].toStdString();
    input.messageModuleCount = counts[2].toStdString();
    input.relayModuleCount = counts[3].toStdString();
    input.consoleIndex = m_systemPage->consoles();
    input.phonePaging = m_settingsPage->paging();
    input.music = m_settingsPage->music();
    for (int p = 0; p < Layout::OutputBits; ++p)
        input.musicOutputs[static_cast<size_t>(p)] = m_settingsPage->musicBoxTicked(p);
    input.image = Image;
    for (int i = 1; i <= Layout::InputCount; ++i)
        input.inputCaptions[static_cast<size_t>(i - 1)] = inputNode(i)->text(0).toStdString();
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    input.dateTime
        = (locale.toString(now.date(), QLocale::ShortFormat) + ' ' + locale.toString(now.time(), QLocale::LongFormat))
              .toStdString();
    return input;
}

void TMain::connectControls(int scanInterval)
{
    connect(TBDebug, &QToolButton::clicked, this, &TMain::TBDebugClick);
    // The toolbar keeps its button hidden; the service engineer reaches the
    // diagnostic windows with a shortcut instead.
    auto* debug = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), this);
    connect(debug, &QShortcut::activated, this, &TMain::TBDebugClick);
    connect(TBReport, &QToolButton::clicked, this, &TMain::TBReportClick);
    // Undo and redo have no toolbar buttons; the usual keys reach them.
    const std::pair<QKeySequence, void (TMain::*)()> history[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Z), &TMain::Undo},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TMain::Redo},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), &TMain::Redo},
    };
    for (const auto& [keys, command] : history)
        connect(new QShortcut(keys, this), &QShortcut::activated, this, command);

    // The configuration check's findings; F8 clashes with no field's keys.
    m_check = new TFormCheck(*this, this);
    connect(new QShortcut(QKeySequence(Qt::Key_F8), this), &QShortcut::activated, this, &TMain::ShowFindings);

    m_commands = new TProjectCommands(*this, this);
    connect(TBNew, &QToolButton::clicked, this, &TMain::TBNewClick);
    connect(TBOpen, &QToolButton::clicked, this, &TMain::TBOpenClick);
    connect(TBSave, &QToolButton::clicked, this, &TMain::TBSaveClick);
    connect(ToolButton1, &QToolButton::clicked, this, &TMain::ToolButton1Click);

    m_link = new TControllerLink(*this, *PanelScan, scanInterval, this);
    connect(TBFind, &QToolButton::clicked, m_link, &TControllerLink::TBFindClick);
    connect(TBRead, &QToolButton::clicked, m_link, &TControllerLink::TBReadClick);
    connect(TBWrite, &QToolButton::clicked, m_link, &TControllerLink::TBWriteClick);
}

void TMain::TBNewClick()
{
    m_commands->TBNewClick();
}
void TMain::TBOpenClick()
{
    m_commands->TBOpenClick();
}
void TMain::TBSaveClick()
{
    m_commands->TBSaveClick();
}
void TMain::ToolButton1Click()
{
    close();
}
bool TMain::FormClose()
{
    return m_commands->FormClose();
}
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

void TMain::connectWindows()
{
    m_link->setPortDialog(SetComPort);
    if (FormWord) {
        FormWord->setInputProvider([this] { return reportInput(); });
        connect(FormWord, &TFormWord::finished, this, [this] { TBReport->setChecked(false); });
        connect(FormWord, &TFormWord::failed, this, [](const QString& reason) {
            std::fprintf(stderr, "kt7config: report: %s\n", qPrintable(reason));
            if (FormPort && FormPort->isVisible())
                FormPort->logNote(QStringLiteral("Отчет: ") + reason);
        });
    }
}

void TMain::SetProjectName(const QString& name)
{
    ProjectName = name;
    // Undo may go back to before the first project.
    setWindowTitle(name.isEmpty() ? Title : Title + " - " + name);
}

void TMain::EditorReload()
{
    ++m_shownStamp;
    Loading = true;
    TV->show();
    PageControl->show();

    m_loadingNode = m_settingsNode;
    m_settingsPage->load();
    m_loadingNode = m_systemNode;
    m_systemPage->load();
    m_loadingNode = nullptr;

    TBSave->setEnabled(true);
    TBReport->setEnabled(true);
    // Selecting the node runs the selection handler; so does this when the
    // node is selected already.
    if (TV->currentItem() == m_systemNode)
        TVChange(m_systemNode);
    else
        TV->setCurrentItem(m_systemNode);

    // The counts are applied as a user's choice would apply them: the pages'
    // usability follows the image and the counts are written back unchanged.
    m_systemPage->CBCountChange();
    m_systemPage->CBModChange();
    m_systemPage->CBReleChange();
    RefreshStates();

    // Nodes left open from the image replaced stay open only where the new
    // image lets them open; the selection is on the system node by now.
    std::vector<QTreeWidgetItem*> branches{m_buttonsRoot, m_groupsRoot};
    for (int i = 1; i <= Layout::InputCount; ++i)
        branches.push_back(inputNode(i));
    for (QTreeWidgetItem* node : branches)
        if (node->isExpanded() && !mayExpand(node))
            node->setExpanded(false);
}

// ---- tree ---------------------------------------------------------------

TMain::Page TMain::pageFor(const QTreeWidgetItem* node) const
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

void TMain::TVChange(QTreeWidgetItem* node)
{
    ++m_shownStamp;
    Loading = true;
    const Page page = pageFor(node);
    PageControl->setCurrentIndex(page);
    switch (page) {
    case PageSystem: m_systemPage->load(); break;
    case PageSettings: m_settingsPage->load(); break;
    case PageZones: m_zonePage->load(); break;
    case PageAlgorithm: m_algorithmPage->load(); break;
    case PageStage: m_stagePage->load(); break;
    case PageButtons:
    case PageGroups:
    case PageInputs: break;
    }
    Loading = false;
}

int TMain::nodeMark(const QTreeWidgetItem* node) const
{
    const QTreeWidgetItem* parent = node->parent();
    if (!parent)
        return TStateMarks::None;
    const int offset = node->data(0, OffsetRole).toInt();
    if (parent == m_buttonsRoot || parent == m_groupsRoot)
        return Image.anySet(offset, Layout::MaskSize) ? TStateMarks::On : TStateMarks::Off;
    TImage& image = const_cast<TImage&>(Image);
    if (parent == m_algorithmsRoot) {
        const int i = parent->indexOfChild(const_cast<QTreeWidgetItem*>(node)) + 1;
        if (i > 1 && !TAlarmRecord(image, i - 1).enabled())
            return TStateMarks::Unreachable;
        return TAlarmRecord(image, i).enabled() ? TStateMarks::On : TStateMarks::Off;
    }
    const int k = parent->indexOfChild(const_cast<QTreeWidgetItem*>(node)) + 1;
    const TStageRecord stage(image, offset);
    if (k > 1 && TStageRecord(image, offset - Layout::StageSize).endsRun())
        return TStateMarks::Unreachable;
    return stage.isOn() ? TStateMarks::On : TStateMarks::Off;
}

void TMain::RefreshStates()
{
    for (QTreeWidgetItem* root : {m_buttonsRoot, m_groupsRoot, m_algorithmsRoot}) {
        for (int c = 0; c < root->childCount(); ++c) {
            QTreeWidgetItem* node = root->child(c);
            const auto refresh = [](QTreeWidgetItem* n, int mark) {
                if (n->data(0, MarkRole).toInt() == mark)
                    return;
                n->setData(0, MarkRole, mark);
                n->setIcon(0, TStateMarks::icon(mark));
            };
            refresh(node, nodeMark(node));
            for (int s = 0; s < node->childCount(); ++s)
                refresh(node->child(s), nodeMark(node->child(s)));
        }
    }
}

void TMain::onCurrentChanged(QTreeWidgetItem* current)
{
    if (!current)
        return;
    TVChange(current);
    // The tree opens a node when it is selected, but not the node that takes
    // the selection because it was just closed.
    if (current->childCount() > 0 && !m_closingBranch)
        current->setExpanded(true);
}

bool TMain::expandable(const QTreeWidgetItem* node) const
{
    if (node == m_groupsRoot)
        return m_settingsPage->paging();
    if (node == m_buttonsRoot)
        return m_systemPage->consoles() > 0;
    if (node->parent() == m_algorithmsRoot) {
        const int i = m_algorithmsRoot->indexOfChild(const_cast<QTreeWidgetItem*>(node)) + 1;
        return nodeMark(node) != TStateMarks::Unreachable && TAlarmRecord(const_cast<TImage&>(Image), i).enabled();
    }
    return true;
}

bool TMain::mayExpand(QTreeWidgetItem* node)
{
    const bool may = expandable(node);
    if (node == m_groupsRoot)
        m_groupsPage->setMessageShown(!may);
    if (node == m_buttonsRoot)
        m_buttonsPage->setMessageShown(!may);
    return may;
}

bool TMain::reachable(const QTreeWidgetItem* node) const
{
    for (const QTreeWidgetItem* above = node->parent(); above; above = above->parent())
        if (!expandable(above))
            return false;
    return nodeMark(node) != TStateMarks::Unreachable;
}

void TMain::onExpanded(QTreeWidgetItem* node)
{
    if (!mayExpand(node)) {
        const QSignalBlocker blocker(TV);
        node->setExpanded(false);
    }
}

void TMain::onCollapsed(QTreeWidgetItem* node)
{
    // A hidden node cannot stay selected: the selection moves to the node closed.
    for (QTreeWidgetItem* n = TV->currentItem(); n; n = n->parent())
        if (n->parent() == node) {
            m_closingBranch = true;
            TV->setCurrentItem(node);
            m_closingBranch = false;
            return;
        }
}

// ---- furniture ----------------------------------------------------------

void TMain::setTransferUsable(bool usable)
{
    TBRead->setEnabled(usable);
    TBWrite->setEnabled(usable);
}

void TMain::releaseFind()
{
    TBFind->setChecked(false);
}

bool TMain::approveWrite()
{
    return m_check->approveWrite();
}

// ---- configuration check --------------------------------------------------

std::vector<TConfigFinding> TMain::findings() const
{
    TConfigCheck::Names names;
    for (int i = 1; i <= Layout::InputCount; ++i)
        names[static_cast<size_t>(i - 1)] = inputName(i).toStdString();
    return TConfigCheck::run(Image, &names);
}

bool TMain::selectFindingNode(const TConfigFinding& finding)
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
    // Before the first project the tree is hidden: nothing can be selected.
    if (!node || !TV->isVisible() || !showNode(node))
        return false;
    activateWindow();
    return true;
}

void TMain::ShowFindings()
{
    m_check->showList();
}

void TMain::setStatusText(int panel, const QString& text)
{
    m_panels.at(static_cast<size_t>(panel))->setText(text);
}

QString TMain::statusText(int panel) const
{
    return m_panels.at(static_cast<size_t>(panel))->text();
}

// ---- undo and redo --------------------------------------------------------

TEditState TMain::editState() const
{
    TEditState state;
    state.bytes = Image.bytes();
    for (int i = 1; i <= Layout::InputCount; ++i)
        state.names[static_cast<size_t>(i - 1)] = inputName(i).toStdString();
    state.project = ProjectName.toStdString();
    return state;
}

void TMain::scheduleRecord()
{
    if (m_replaying || m_recordPending)
        return;
    m_recordPending = true;
    QMetaObject::invokeMethod(this, &TMain::recordStep, Qt::QueuedConnection);
}

void TMain::recordStep()
{
    m_recordPending = false;
    m_history.record(editState());
}

void TMain::ClearHistory()
{
    m_recordPending = false;
    m_history.reset(editState());
}

void TMain::ProjectSaved(const QString& name)
{
    // Changes not yet taken become a step under the name they were made with.
    recordStep();
    SetProjectName(name);
    m_history.rename(name.toStdString());
    m_history.markSaved();
    Saved = true;
}

void TMain::Undo()
{
    stepHistory(&TEditHistory::undo);
}
void TMain::Redo()
{
    stepHistory(&TEditHistory::redo);
}

void TMain::stepHistory(bool (TEditHistory::*move)())
{
    // A transfer reads into or sends from the image: it stays as it is until
    // the transfer has ended.
    if (Loading || m_transferRunning)
        return;
    recordStep();
    if (!(m_history.*move)())
        return;

    QTreeWidgetItem* selected = TV->currentItem();
    m_replaying = true;
    const TEditState& state = m_history.state();
    Image.replace(state.bytes);
    for (int i = 1; i <= Layout::InputCount; ++i)
        setInputName(i, QString::fromStdString(state.names[static_cast<size_t>(i - 1)]));
    SetProjectName(QString::fromStdString(state.project));
    EditorReload();
    restoreSelection(selected);
    m_replaying = false;

    Saved = m_history.atSaved();
    if (Dbg && Dbg->isVisible())
        Dbg->Refresh(Image);
}

void TMain::restoreSelection(QTreeWidgetItem* node)
{
    // The reload has selected the system composition node.
    if (node && node != m_systemNode)
        showNode(node);
}

bool TMain::showNode(QTreeWidgetItem* node)
{
    if (!reachable(node))
        return false;
    QList<QTreeWidgetItem*> branch;
    for (QTreeWidgetItem* above = node->parent(); above; above = above->parent())
        branch.prepend(above);
    for (QTreeWidgetItem* above : branch)
        above->setExpanded(true);
    TV->setCurrentItem(node);
    return TV->currentItem() == node;
}

// ---- projects from outside ------------------------------------------------

void TMain::OpenAtStart(const QString& path)
{
    m_commands->openAtStart(path);
}

QString TMain::droppedProject(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile())
        return QString();
    const QFileInfo file(url.toLocalFile());
    if (file.suffix().compare(QLatin1String("usr"), Qt::CaseInsensitive) != 0 || file.isDir())
        return QString();
    return file.filePath();
}

void TMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedProject(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void TMain::dragMoveEvent(QDragMoveEvent* event)
{
    if (droppedProject(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void TMain::dropEvent(QDropEvent* event)
{
    const QString path = droppedProject(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    if (m_transferRunning) {
        // Refused as Open is, with its box; the file manager learns that the
        // file was not taken. (Refused while it is dragged over the window,
        // it would never be dropped, and the user would not learn why.)
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        QMetaObject::invokeMethod(
            this, [this] { m_link->mayReplaceImage(); }, Qt::QueuedConnection);
        return;
    }
    event->acceptProposedAction();
    // The file manager waits until the drop is handled: the save question and
    // the opening come after it.
    QMetaObject::invokeMethod(
        this, [this, path] { m_commands->openDropped(path); }, Qt::QueuedConnection);
}

bool TMain::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls())
            break;
        if (event->type() == QEvent::Drop)
            dropEvent(drop);
        else
            dragMoveEvent(static_cast<QDragMoveEvent*>(event));
        return true;
    }
    default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}
