#pragma once
// The cause-and-effect matrix window: the switched-on alarm algorithms
// against the outputs, relays, K1 and K2 (GridMatrix), and the zones of the
// console buttons, paging groups and background music under the same
// columns (GridZones). It follows every change of the project while shown;
// a double-click or Enter on a cell selects its stage (or input, button,
// group) in the tree, on a row head the input. Every column is as wide as
// its head and its widest cell. "Сохранить…" writes the algorithms as CSV,
// or the table shown as a PNG picture with every cell whole.

#include <QHash>
#include <QWidget>

class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
class TCauseMatrixModel;
class TMatrixHost;

class TFormMatrix : public QWidget {
    Q_OBJECT
public:
    TFormMatrix(TMatrixHost& host, QWidget* parent);

    // Shows the window brought up to date and raises it.
    void showMatrix();

    QTableView* grid() const { return GridMatrix; }
    QTableView* zones() const { return GridZones; }
    // The matrix again from the project (done on every change while shown).
    void rebuild();
    // "Сохранить…": asks for a file; *.png gets the table shown as a
    // picture, any other name the algorithms as CSV. False when nothing was
    // written.
    bool ButtonSaveClick();
    // The whole table, every row and column, as the window draws it.
    QImage picture(QTableView* table) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Widths of texts in a table's font, heads and cells apart.
    struct TextWidths {
        QHash<QString, int> heads;
        QHash<QString, int> cells;
    };
    // Every column as wide as its head and its widest cell, so that nothing
    // is cut: in the window and in the saved picture alike. The widths of
    // texts met before are kept in known (a matrix holds few different ones).
    static void fitColumns(QTableView& table, TextWidths& known);
    QTableView* addTable(TCauseMatrixModel* model, const char* name, const QString& title);
    void activated(QTableView* table, int row, int column);

    TMatrixHost& m_host;
    QTabWidget* m_tabs;
    QTableView* GridMatrix;
    QTableView* GridZones;
    TCauseMatrixModel* m_algorithms;
    TCauseMatrixModel* m_zones;
    QLabel* m_note;
    QPushButton* ButtonSave;
    bool m_stale = true;
    TextWidths m_widths;
};
