#pragma once
// A window of its own beside the main window (a list, a matrix, a
// comparison): named and titled, of a first size, with an optional summary
// line at its top and a column below it for the window's own controls. It is
// brought up over the main window when it first appears rather than wherever
// the window system puts a new window. Its keys are a dialog's: Return on a
// focused button presses it, Esc closes the window, and Enter (or a
// double-click) on a row of a list does the row's main action.

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class QAbstractItemView;
class QLabel;
class QModelIndex;
class QVBoxLayout;

class TSideWindow : public QWidget {
    Q_OBJECT
public:
    TSideWindow(QWidget* parent, const QString& name, const QString& title, QSize size);

    // Back from minimised, over the main window when it first appears,
    // raised and active.
    void bringUp();

    // The summary line's text; empty for a window without one.
    QString summary() const;

    // UTF-8 text of the cores as the window shows it.
    static QString text(const std::string& utf8);
    // The note after a row has asked for its node (named where) in the tree.
    static QString nodeNote(bool selected, const QString& where);

protected:
    // The summary line at the top, named name; made once.
    QLabel* addSummary(const char* name = "LabelSummary");
    // The column the window's controls go into, under the summary line.
    QVBoxLayout* column() const { return m_column; }
    // Enter or a double-click on a row of view runs action for its index.
    void setRowAction(QAbstractItemView* view, std::function<void(const QModelIndex& index)> action);

    void keyPressEvent(QKeyEvent* event) override;

private:
    QVBoxLayout* m_column;
    QLabel* m_summary = nullptr;
};
