#pragma once
// The names of the site, its zones and its relays, as the project keeps them
// in its names file: the object, its address and the engineer above, and a
// table of every splitter output (zone), the controller's K1 and K2 and every
// relay of the relay modules, each with its name. An edit is taken when the
// field is left or Enter is pressed, one change of the project each, undone
// with Ctrl+Z here as in the main window. Units the system does not have are
// shown grey; their names are kept. The window follows the project while shown.

#include "project/TProject.h"
#include "widgets/TSideWindow.h"

class QAction;
class QLineEdit;
class QTableWidget;

class TFormSiteNames : public TSideWindow {
    Q_OBJECT
public:
    // The main window's undo and redo, which the keys here trigger too.
    TFormSiteNames(TProject& project, QAction* undo, QAction* redo, QWidget* parent);

    // Shows the window with the project's names and raises it.
    void showNames();

    QLineEdit* EditObject;
    QLineEdit* EditAddress;
    QLineEdit* EditEngineer;
    // Rows: zones LB1 OUT1 .. LB12 OUT4, K1, K2, relay modules 1..6 K1..K4.
    QTableWidget* TableNames;

private:
    void load();
    // The fields and the table as the project's names: one change when they differ.
    void commit();

    TProject& m_project;
    bool m_loading = false;
    TProject::Subscription m_subscription;
};
