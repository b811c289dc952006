#include "app/TMain.h"

#include "app/TControllerLink.h"
#include "app/TEditorPages.h"
#include "app/TFormBackups.h"
#include "app/TFormCheck.h"
#include "app/TFormCompare.h"
#include "app/TFormMatrix.h"
#include "app/TFormSiteNames.h"
#include "app/TFormWord.h"
#include "app/TPackCommand.h"
#include "app/TProjectCommands.h"
#include "app/TProjectDrop.h"
#include "app/TScanPanel.h"
#include "app/TSetComPort.h"
#include "app/TTimelineView.h"
#include "app/TUndoRedo.h"
#include "diag/TDbg.h"
#include "diag/TFormPort.h"
#include "editor/TAlgorithmPage.h"
#include "editor/TSettingsPage.h"
#include "editor/TSystemPage.h"
#include "report/TConfigCheck.h"
#include "widgets/TDialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

TMain* Main = nullptr;

namespace {
constexpr int ClientWidth = 751;
constexpr int ClientHeight = 593;
const QString Title = QStringLiteral("Конфигурация");
const QString NotConnected = QStringLiteral("Контроллер не подключен: нажмите «Подключить».");

void insertAfter(QToolBar* bar, const QToolButton* after, QToolButton* button)
{
    for (QAction* action : bar->actions())
        if (bar->widgetForAction(action) == after) {
            const int next = static_cast<int>(bar->actions().indexOf(action)) + 1;
            bar->insertWidget(bar->actions().value(next), button);
            return;
        }
}
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

    m_project.image().clear();
    // Undo and redo have no toolbar buttons; the usual keys reach them.
    m_undo = new TUndoRedo(
        m_project, *this, [this] { return Loading; }, [this] { replayHistory(); });
    buildToolBar();
    buildShortcuts();
    buildStatusBar();

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    TV = new TNavigationTree(
        m_project, [this] { return PageControl->settingsPage()->paging(); },
        [this] { return PageControl->systemPage()->consoles() > 0; }, central);
    PageControl = new TEditorPages(*this, central);
    PageControl->algorithmPage()->addBelow(new TTimelineView(*this, [this] { return nodeIndex(); }));
    layout->addWidget(TV);
    layout->addWidget(PageControl, 1);
    setCentralWidget(central);

    m_project.subscribe([this](TProject::Change change, int input) { projectChanged(change, input); });

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

    // Fields that take dropped text would swallow a dropped file: files are
    // the window's business wherever they are dropped.
    new TProjectDrop(*this,
                     {[this] { return m_transferRunning; }, [this] { m_link->mayReplaceImage(); },
                      [this](const QString& path) { m_commands->openDropped(path); }});
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
        {&TMain::TBCheck, "TBCheck", "Проверка", "check", false, true},
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

    // The cause-and-effect matrix, beside the report.
    ActionMatrix = new QAction(QIcon(QStringLiteral(":/icons/matrix.svg")), QStringLiteral("Матрица"), this);
    ActionMatrix->setObjectName("ActionMatrix");
    ActionMatrix->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    ActionMatrix->setToolTip(QStringLiteral("Матрица причин и следствий (Ctrl+M)"));
    ActionMatrix->setEnabled(false);
    addAction(ActionMatrix);
    QToolButton* matrix = addToolButton("TBMatrix", ActionMatrix->text(), ActionMatrix->icon(), false);
    matrix->setDefaultAction(ActionMatrix);
    insertAfter(bar, TBReport, matrix);
    buildCompareMenu(bar, matrix);
}

void TMain::buildCompareMenu(QToolBar* bar, QToolButton* after)
{
    const auto action = [this](const char* name, const QString& text, const QKeySequence& key, bool enabled) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        a->setShortcut(key);
        a->setEnabled(enabled);
        addAction(a);
        return a;
    };
    ActionCompareFile
        = action("ActionCompareFile", QStringLiteral("Сравнить с файлом проекта…"), QKeySequence(Qt::Key_F9), false);
    ActionCompareController = action("ActionCompareController", QStringLiteral("Сравнить с контроллером"),
                                     QKeySequence(Qt::SHIFT | Qt::Key_F9), false);
    ActionBackups
        = action("ActionBackups", QStringLiteral("Резервные копии…"), QKeySequence(Qt::CTRL | Qt::Key_B), true);
    auto* menu = new QMenu(this);
    menu->setObjectName("MenuCompare");
    menu->addAction(ActionCompareFile);
    menu->addAction(ActionCompareController);
    menu->addSeparator();
    menu->addAction(ActionBackups);
    QToolButton* compare
        = addToolButton("TBCompare", QStringLiteral("Сравнить"), QIcon(QStringLiteral(":/icons/compare.svg")), false);
    compare->setMenu(menu);
    compare->setPopupMode(QToolButton::InstantPopup);
    compare->setToolTip(QStringLiteral("Сравнить проект с файлом (F9), с контроллером (Shift+F9); резервные копии "
                                       "(Ctrl+B)"));
    insertAfter(bar, after, compare);
}

void TMain::buildShortcuts()
{
    // The keys a desktop program has: each does what a click on its button
    // does, questions included, and nothing while the button is not usable.
    const std::pair<QToolButton*, QKeySequence> keys[] = {
        {TBNew, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {TBOpen, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {TBSave, QKeySequence(Qt::CTRL | Qt::Key_S)},
    };
    for (const auto& [button, key] : keys) {
        auto* action = new QAction(button->text(), this);
        action->setObjectName(QStringLiteral("Action") + button->objectName().mid(2));
        action->setShortcut(key);
        connect(action, &QAction::triggered, button, &QToolButton::click);
        addAction(action);
        button->setToolTip(QStringLiteral("%1 (%2)").arg(button->text(), key.toString(QKeySequence::NativeText)));
    }
    auto* help = new QAction(QStringLiteral("Руководство"), this);
    help->setObjectName("ActionHelp");
    help->setShortcut(QKeySequence(Qt::Key_F1));
    connect(help, &QAction::triggered, this, [this] { m_guide.show(); });
    addAction(help);
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
    if (m_check)
        m_check->refreshIfShown();
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
    case TProject::Change::ProjectName: {
        // Undo may go back to before the first project.
        const QString name = projectName();
        setWindowTitle(name.isEmpty() ? Title : Title + " - " + name);
        return;
    }
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
    if (m_check)
        m_check->refreshIfShown();
    if (m_undo->replaying())
        return;
    if (Dbg && Dbg->isVisible())
        Dbg->Refresh(image());
    m_undo->scheduleRecord();
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
    input.projectName = m_project.name();
    // The counts and the music boxes as the pages show them: a count the image
    // holds out of range shows as no entry, a box beyond the composition unticked.
    const QStringList counts = PageControl->systemPage()->shownCounts();
    input.splitterCount = counts[0].toStdString();
    input.consoleCount = counts[1].toStdString();
    input.messageModuleCount = counts[2].toStdString();
    input.relayModuleCount = counts[3].toStdString();
    input.consoleIndex = PageControl->systemPage()->consoles();
    input.phonePaging = m_project.image().value(Layout::PagingFlag.at(Layout::SystemNode)) != 0;
    input.music = m_project.image().value(Layout::MusicFlag.at(Layout::SystemNode)) != 0;
    for (int p = 0; p < Layout::OutputBits; ++p)
        input.musicOutputs[static_cast<size_t>(p)] = PageControl->settingsPage()->musicBoxTicked(p);
    input.image = m_project.image();
    input.site = m_project.siteNames();
    for (int i = 1; i <= Layout::InputCount; ++i)
        input.inputCaptions[static_cast<size_t>(i - 1)] = "IN-" + std::to_string(i) + ' ' + m_project.inputName(i);
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

    // The configuration check's findings; F8 clashes with no field's keys.
    m_check = new TFormCheck(*this, this);
    m_matrix = new TFormMatrix(*this, this);
    connect(ActionMatrix, &QAction::triggered, m_matrix, &TFormMatrix::showMatrix);
    connect(new QShortcut(QKeySequence(Qt::Key_F8), this), &QShortcut::activated, this, &TMain::ShowFindings);
    connect(TBCheck, &QToolButton::clicked, this, &TMain::ShowFindings);
    m_compare = new TFormCompare(*this, this);
    m_backups = new TFormBackups(*this, this);
    connect(ActionCompareFile, &QAction::triggered, m_compare, &TFormCompare::compareWithFile);
    connect(ActionCompareController, &QAction::triggered, m_compare, &TFormCompare::compareWithController);
    connect(ActionBackups, &QAction::triggered, m_backups, &TFormBackups::showBackups);
    TBCheck->setToolTip(QStringLiteral("Проверка конфигурации (F8)"));

    m_commands = new TProjectCommands(*this, this);
    connect(TBNew, &QToolButton::clicked, this, &TMain::TBNewClick);
    connect(TBOpen, &QToolButton::clicked, this, &TMain::TBOpenClick);
    connect(TBSave, &QToolButton::clicked, this, &TMain::TBSaveClick);
    connect(ToolButton1, &QToolButton::clicked, this, &TMain::ToolButton1Click);

    m_link = new TControllerLink(*this, *PanelScan, scanInterval, this);
    buildPack();
    connect(TBFind, &QToolButton::clicked, m_link, &TControllerLink::TBFindClick);
    connect(TBRead, &QToolButton::clicked, m_link, &TControllerLink::TBReadClick);
    connect(TBWrite, &QToolButton::clicked, m_link, &TControllerLink::TBWriteClick);
}

void TMain::buildPack()
{
    m_pack = new TPackCommand(*this,
                              {[this] { return reportInput(); }, [this] { return m_commands->projectFile(); },
                               [this] { return m_commands->startFolder(); }, [this] { return TBRead->isEnabled(); },
                               [this] { return m_link->identification(); }, [this] { return m_link->serialNumber(); },
                               [this](auto done) { readAside(std::move(done)); }});
    ActionSiteNames = new QAction(QStringLiteral("Имена объекта, зон и реле…"), this);
    ActionSiteNames->setObjectName("ActionSiteNames");
    ActionSiteNames->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    ActionSiteNames->setEnabled(false);
    addAction(ActionSiteNames);
    m_siteNames = new TFormSiteNames(m_project, m_undo->undoAction(), m_undo->redoAction(), this);
    connect(ActionSiteNames, &QAction::triggered, m_siteNames, &TFormSiteNames::showNames);
    auto* menu = new QMenu(this);
    menu->setObjectName("MenuReport");
    menu->addAction(m_pack->action());
    menu->addAction(ActionSiteNames);
    TBReport->setMenu(menu);
    TBReport->setPopupMode(QToolButton::MenuButtonPopup);
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

    TBSave->setEnabled(true);
    TBReport->setEnabled(true);
    ActionMatrix->setEnabled(true);
    ActionCompareFile->setEnabled(true);
    m_pack->action()->setEnabled(true);
    ActionSiteNames->setEnabled(true);
    updateControllerCompare();
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

// ---- tree ---------------------------------------------------------------

void TMain::TVChange(QTreeWidgetItem* node)
{
    // The user moves to another node; while a whole image is being loaded the
    // page's typing belongs to the image replaced and is dropped with it.
    if (!Loading)
        PageControl->leavePage();
    ++m_shownStamp;
    Loading = true;
    PageControl->showPage(TV->pageFor(node));
    Loading = false;
}

// ---- furniture ----------------------------------------------------------

void TMain::setTransferUsable(bool usable)
{
    TBRead->setEnabled(usable);
    TBWrite->setEnabled(usable);
    updateControllerCompare();
}

void TMain::updateControllerCompare()
{
    ActionCompareController->setEnabled(TBRead->isEnabled() && ActionMatrix->isEnabled());
}

// ---- comparisons and backups ----------------------------------------------

void TMain::readAside(std::function<void(const TImage& image)> done)
{
    if (!TBRead->isEnabled()) {
        Dlg::error(NotConnected);
        return;
    }
    if (m_link->mayReplaceImage())
        m_link->readAside(std::move(done));
}

void TMain::compareWithBackup(const TImage& image, const QString& fileName)
{
    m_compare->compareWithBackup(image, fileName);
}

void TMain::openBackup(const TImage& image, const QString& projectName)
{
    m_commands->openBackup(image, projectName);
}

void TMain::writeBackup(const TImage& image, const std::string& serial)
{
    if (!TBWrite->isEnabled()) {
        Dlg::error(NotConnected);
        return;
    }
    if (m_link->mayReplaceImage())
        m_link->writeImage(image, serial);
}

void TMain::releaseFind()
{
    TBFind->setChecked(false);
}

bool TMain::approveWrite(const TImage& image)
{
    // Another image than the project's (a backup put back) has no names.
    if (&image != &m_project.image())
        return m_check->approveWrite(TConfigCheck::run(image, nullptr));
    return m_check->approveWrite();
}

// ---- configuration check --------------------------------------------------

std::vector<TConfigFinding> TMain::findings() const
{
    return TConfigCheck::run(m_project.image(), &m_project.names());
}

bool TMain::selectFindingNode(const TConfigFinding& finding)
{
    using Node = TConfigFinding::Node;
    QTreeWidgetItem* node = nullptr;
    switch (finding.node) {
    case Node::System: node = TV->systemNode(); break;
    case Node::Settings: node = TV->settingsNode(); break;
    case Node::Buttons: node = TV->buttonsRoot(); break;
    case Node::Groups: node = TV->groupsRoot(); break;
    case Node::Button: node = buttonNode(finding.number); break;
    case Node::Group: node = groupNode(finding.number); break;
    case Node::Input: node = inputNode(finding.number); break;
    case Node::Stage: node = stageNode(finding.number, finding.stage); break;
    }
    // Before the first project the tree is hidden: nothing can be selected.
    if (!node || !TV->isVisible() || !TV->showNode(node))
        return false;
    // Keys meant for the list must not reach the control a page had last:
    // the tree's selected node takes them.
    activateWindow();
    TV->setFocus(Qt::OtherFocusReason);
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

void TMain::transferStarted()
{
    m_transferRunning = true;
    m_undo->setTransferRunning(true);
    // A write sends the image as it was when it began and a read replaces
    // it: an edit made meanwhile would be lost either way. The tree may
    // still be browsed.
    PageControl->setEnabled(false);
}

void TMain::transferEnded()
{
    m_transferRunning = false;
    m_undo->setTransferRunning(false);
    PageControl->setEnabled(true);
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

// ---- projects from outside ------------------------------------------------
