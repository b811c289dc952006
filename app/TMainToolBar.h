#pragma once
// The main window's commands: the toolbar's buttons left to right, the
// matrix and the menu of comparisons beside the report, and the keys a
// desktop program has. Which of them are usable follows the window's state
// alone, set in apply() whenever that state changes.

#include "app/TWindowState.h"

#include <QToolBar>

class QAction;
class QMainWindow;
class QToolButton;

class TMainToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit TMainToolBar(QMainWindow& window);

    // Every command usable as far as the state allows.
    void apply(const TWindowState& state);

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
    QAction* ActionCompareFile;
    QAction* ActionCompareController;
    QAction* ActionBackups;
    // Ctrl+S, as a click on TBSave; the names window's key reaches it too.
    QAction* ActionSave = nullptr;
    // F1: the user's guide.
    QAction* ActionHelp;
    // F8: the check's findings, as TBCheck.
    QAction* ActionCheck;
    // Ctrl+Shift+D: the diagnostic windows shown, or hidden again.
    QAction* ActionDebug;
    // Ctrl+I: the names of the site, its zones and relays.
    QAction* ActionSiteNames;
    // Ctrl+T: the acceptance test.
    QAction* ActionAcceptance;
    // The commissioning pack, from the report button's menu.
    QAction* ActionPack = nullptr;

    // The report button's menu: the pack, the acceptance test and the site's names.
    void addReportMenu(QAction* pack);

private:
    QToolButton* addButton(const char* name, const QString& caption, const QIcon& icon, bool checkable);
    // The action reached from the window by key, named name.
    QAction* addKey(QMainWindow& window, const char* name, const QString& text, const QKeySequence& key);
    void insertAfter(const QToolButton* after, QToolButton* button);
    // "Сравнить" beside "Матрица": a menu of the comparisons and the backups.
    void buildCompareMenu(QMainWindow& window, QToolButton* after);
    void buildKeys(QMainWindow& window);
};
