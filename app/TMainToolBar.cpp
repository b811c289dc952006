#include "app/TMainToolBar.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QToolButton>

#include <utility>

TMainToolBar::TMainToolBar(QMainWindow& window) : QToolBar(&window)
{
    setObjectName("ToolBar1");
    setMovable(false);
    setFloatable(false);
    setContextMenuPolicy(Qt::PreventContextMenu);
    window.addToolBar(Qt::TopToolBarArea, this);
    struct Button {
        QToolButton* TMainToolBar::*member;
        const char* name;
        QString caption;
        const char* icon;
        bool checkable;
    };
    const Button buttons[] = {
        {&TMainToolBar::TBNew, "TBNew", "Создать", "new", false},
        {&TMainToolBar::TBOpen, "TBOpen", "Открыть", "open", false},
        {&TMainToolBar::TBSave, "TBSave", "Сохранить", "save", false},
        {&TMainToolBar::TBReport, "TBReport", "Отчет", "report", true},
        {&TMainToolBar::TBCheck, "TBCheck", "Проверка", "check", false},
        {&TMainToolBar::TBFind, "TBFind", "Подключить", "connect", true},
        {&TMainToolBar::TBRead, "TBRead", "Чтение", "read", false},
        {&TMainToolBar::TBWrite, "TBWrite", "Запись", "write", false},
        {&TMainToolBar::TBDebug, "TBDebug", "Отладка", "debug", false},
        {&TMainToolBar::ToolButton1, "ToolButton1", "Выход", "exit", false},
    };
    for (const Button& b : buttons) {
        QToolButton* button
            = addButton(b.name, b.caption, QIcon(QStringLiteral(":/icons/%1.svg").arg(b.icon)), b.checkable);
        this->*b.member = button;
        QAction* action = addWidget(button);
        // The service engineer reaches the diagnostic windows by key instead.
        if (button == TBDebug)
            action->setVisible(false);
    }

    // The cause-and-effect matrix, beside the report.
    ActionMatrix = addKey(window, "ActionMatrix", QStringLiteral("Матрица"), QKeySequence(Qt::CTRL | Qt::Key_M));
    ActionMatrix->setIcon(QIcon(QStringLiteral(":/icons/matrix.svg")));
    ActionMatrix->setToolTip(QStringLiteral("Матрица причин и следствий (Ctrl+M)"));
    QToolButton* matrix = addButton("TBMatrix", ActionMatrix->text(), ActionMatrix->icon(), false);
    matrix->setDefaultAction(ActionMatrix);
    insertAfter(TBReport, matrix);
    buildCompareMenu(window, matrix);
    buildKeys(window);
    apply(TWindowState());
}

QToolButton* TMainToolBar::addButton(const char* name, const QString& caption, const QIcon& icon, bool checkable)
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

QAction* TMainToolBar::addKey(QMainWindow& window, const char* name, const QString& text, const QKeySequence& key)
{
    auto* action = new QAction(text, &window);
    action->setObjectName(name);
    action->setShortcut(key);
    window.addAction(action);
    return action;
}

void TMainToolBar::insertAfter(const QToolButton* after, QToolButton* button)
{
    const QList<QAction*> all = actions();
    for (qsizetype i = 0; i < all.size(); ++i)
        if (widgetForAction(all[i]) == after) {
            insertWidget(all.value(i + 1), button);
            return;
        }
}

void TMainToolBar::buildCompareMenu(QMainWindow& window, QToolButton* after)
{
    ActionCompareFile
        = addKey(window, "ActionCompareFile", QStringLiteral("Сравнить с файлом проекта…"), QKeySequence(Qt::Key_F9));
    ActionCompareController = addKey(window, "ActionCompareController", QStringLiteral("Сравнить с контроллером"),
                                     QKeySequence(Qt::SHIFT | Qt::Key_F9));
    ActionBackups
        = addKey(window, "ActionBackups", QStringLiteral("Резервные копии…"), QKeySequence(Qt::CTRL | Qt::Key_B));
    auto* menu = new QMenu(this);
    menu->setObjectName("MenuCompare");
    menu->addAction(ActionCompareFile);
    menu->addAction(ActionCompareController);
    menu->addSeparator();
    menu->addAction(ActionBackups);
    QToolButton* compare
        = addButton("TBCompare", QStringLiteral("Сравнить"), QIcon(QStringLiteral(":/icons/compare.svg")), false);
    compare->setMenu(menu);
    compare->setPopupMode(QToolButton::InstantPopup);
    compare->setToolTip(QStringLiteral("Сравнить проект с файлом (F9), с контроллером (Shift+F9); резервные копии "
                                       "(Ctrl+B)"));
    insertAfter(after, compare);
}

void TMainToolBar::buildKeys(QMainWindow& window)
{
    // Each does what a click on its button does, questions included, and
    // nothing while the button is not usable.
    const std::pair<QToolButton*, QKeySequence> keys[] = {
        {TBNew, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {TBOpen, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {TBSave, QKeySequence(Qt::CTRL | Qt::Key_S)},
    };
    for (const auto& [button, key] : keys) {
        const QByteArray name = "Action" + button->objectName().mid(2).toLatin1();
        QAction* action = addKey(window, name.constData(), button->text(), key);
        connect(action, &QAction::triggered, button, &QToolButton::click);
        if (button == TBSave)
            ActionSave = action;
        button->setToolTip(QStringLiteral("%1 (%2)").arg(button->text(), key.toString(QKeySequence::NativeText)));
    }
    ActionHelp = addKey(window, "ActionHelp", QStringLiteral("Руководство"), QKeySequence(Qt::Key_F1));
    // F8 clashes with no field's keys.
    ActionCheck = addKey(window, "ActionCheck", TBCheck->text(), QKeySequence(Qt::Key_F8));
    TBCheck->setToolTip(QStringLiteral("Проверка конфигурации (F8)"));
    ActionDebug = addKey(window, "ActionDebug", TBDebug->text(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    ActionSiteNames = addKey(window, "ActionSiteNames", QStringLiteral("Имена объекта, зон и реле…"),
                             QKeySequence(Qt::CTRL | Qt::Key_I));
    ActionAcceptance
        = addKey(window, "ActionAcceptance", QStringLiteral("Испытания…"), QKeySequence(Qt::CTRL | Qt::Key_T));
}

void TMainToolBar::addReportMenu(QAction* pack)
{
    ActionPack = pack;
    auto* menu = new QMenu(this);
    menu->setObjectName("MenuReport");
    menu->addAction(ActionPack);
    menu->addAction(ActionAcceptance);
    menu->addAction(ActionSiteNames);
    TBReport->setMenu(menu);
    TBReport->setPopupMode(QToolButton::MenuButtonPopup);
}

void TMainToolBar::apply(const TWindowState& state)
{
    const std::pair<QToolButton*, bool> buttons[] = {
        {TBSave, state.project},
        {TBReport, state.project},
        {TBRead, state.connected},
        {TBWrite, state.connected},
    };
    for (const auto& [button, usable] : buttons)
        button->setEnabled(usable);
    const std::pair<QAction*, bool> actions[] = {
        {ActionMatrix, state.project},
        {ActionCompareFile, state.project},
        {ActionCompareController, state.project && state.connected},
        {ActionSiteNames, state.project},
        {ActionAcceptance, state.project},
        {ActionPack, state.project},
    };
    for (const auto& [action, usable] : actions)
        if (action)
            action->setEnabled(usable);
}
