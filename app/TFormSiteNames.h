#pragma once
// The names of the site as the project keeps them in its names file: the
// object, its address and the engineer above, and in tabs a table of every
// splitter output (zone), the controller's K1 and K2 and every relay of the
// relay modules, a table of what triggers each input (its source
// reference), a table of the messages the stages can play, and the title
// block of the handover papers. An edit is taken when the field is left or
// Enter is pressed, one change of the project each, undone with Ctrl+Z here
// as in the main window; Ctrl+S saves the project as there. Units the
// system does not have are shown grey; their names are kept. The window
// follows the project while shown.

#include "project/TProject.h"
#include "widgets/TSideWindow.h"

#include <vector>

class QAction;
class QLineEdit;
class QTabWidget;
class QTableWidget;

class TFormSiteNames : public TSideWindow {
    Q_OBJECT
public:
    // The main window's undo, redo and save, which the keys here trigger too.
    TFormSiteNames(TProject& project, QAction* undo, QAction* redo, QAction* save, QWidget* parent);
    ~TFormSiteNames() override;

    // Shows the window with the project's names and raises it.
    void showNames();

    // The site's fields are named "Edit" and their key in the names file:
    // EditObject, EditAddress, ..., EditDesignCode.
    QLineEdit* EditObject;
    // "Зоны и реле", "Входы", "Сообщения", "Документ".
    QTabWidget* TabsNames;
    // Rows: zones LB1 OUT1 .. LB12 OUT4, K1, K2, relay modules 1..6 K1..K4.
    QTableWidget* TableNames;
    // Rows: IN-1 .. IN-24 with their algorithms' names, and what triggers each.
    QTableWidget* TableCauses;
    // Rows: the controller's messages 1..8, then message modules 1..3's.
    QTableWidget* TableMessages;

private:
    // Where a name of the list is edited: a field, or a row of a table.
    struct Place {
        QLineEdit* edit = nullptr;
        QTableWidget* table = nullptr;
        int row = 0;
    };

    QTableWidget* addTable(const char* name, const QString& tab, const QString& head);
    void load();
    // The fields and the tables as the project's names: one change when they differ.
    void commit();

    TProject& m_project;
    std::vector<Place> m_places; // by the number of the name in the list
    bool m_loading = false;
    TProject::Subscription m_subscription;
};
