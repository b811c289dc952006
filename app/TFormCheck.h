#pragma once
// The configuration check in the window: the question before a write of a
// configuration with errors, and the list of all findings, which follows
// every change of the project while shown; a double-click (or Enter) selects
// a finding's node in the tree.

#include "project/TProject.h"
#include "report/TConfigFinding.h"
#include "widgets/TSideWindow.h"

#include <vector>

class QLabel;
class QTreeWidget;
class TCheckHost;

class TFormCheck : public TSideWindow {
    Q_OBJECT
public:
    // Errors named in the question; the rest are counted.
    static constexpr int BoxLines = 12;
    enum Choice { ChoiceWrite, ChoiceCancel, ChoiceShowAll };

    TFormCheck(TCheckHost& host, QWidget* parent);

    // Before a write sends anything: true when the configuration has no
    // errors, or when the user, shown them, chose "Записать". "Показать все"
    // shows the list and does not write. By default the project's findings;
    // a restore passes those of the image it puts back.
    bool approveWrite();
    bool approveWrite(const std::vector<TConfigFinding>& findings);
    // Shows the list brought up to date and raises it.
    void showList();

    QTreeWidget* list() const { return m_list; }
    QString note() const;

    // The question's text for these findings: their errors, at most BoxLines.
    static QString errorsText(const std::vector<TConfigFinding>& findings);

private:
    void refresh();
    void onActivated(int row);

    TCheckHost& m_host;
    QLabel* m_summary;
    QTreeWidget* m_list;
    QLabel* m_note;
    std::vector<TConfigFinding> m_findings;
    TProject::Subscription m_subscription;
};
