#pragma once
// The acceptance test window: the switched-on inputs with their state
// (GridInputs) and, for the one selected, a row per expected effect
// (GridEffects: stage, time from the trigger, message, zone or relay with
// its name) taking a result and a remark. Made for an engineer walking the
// building: on a row, 1 or + records «годен», 2 or - «не годен» and opens
// the remark, 0 or Delete «не проверено», each moving to the next row; a
// letter, Enter or F2 types the remark. Every result is written at once into
// the results file beside the project (TAcceptanceFile): it is no edit of
// the project and Ctrl+Z does not take it back. The window follows the
// project: an edit that changes what an input does shows its results as
// stale at once; the file is read again whenever the window is activated,
// so results kt7tool recorded meanwhile show.

#include "project/TAcceptanceFile.h"
#include "project/TProject.h"
#include "report/TAcceptance.h"
#include "widgets/TSideWindow.h"

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TAcceptanceHost;

class TFormAcceptance : public TSideWindow {
    Q_OBJECT
public:
    using Verdict = TAcceptanceResult::Verdict;
    enum Column { ColStage, ColTime, ColMessage, ColTarget, ColName, ColResult, ColNote, ColRecorded, Columns };

    TFormAcceptance(TAcceptanceHost& host, QWidget* parent);

    // Shows the window brought up to date and raises it.
    void showAcceptance();

    QTableWidget* inputs() const { return GridInputs; }
    QTableWidget* effects() const { return GridEffects; }
    const TAcceptance& acceptance() const { return m_acceptance; }
    // The results file of the project; empty while the project has none.
    QString resultsFile() const;

    // Records the verdict, or the remark, of the selected input's effect in
    // row, keeping the other; false when nothing was recorded.
    bool setVerdict(int row, Verdict verdict);
    bool setNote(int row, const QString& note);

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // resultsFile() as the system names it.
    std::string resultsPath() const;
    // The results file read again, then the window rebuilt.
    void reload();
    // The expected effects from the project as it is, with the results read.
    void rebuild();
    void showInputs();
    void showEffects();
    void showSummary();
    // The selected input's state, or nullptr.
    const TAcceptance::Input* selected() const;
    // Writes a result of the selected input's effect in row; false when nothing was written.
    bool record(int row, Verdict verdict, const QString& note);
    // A project without a file is saved first, when the user wants it.
    bool haveFile();
    void goToRow(int row);

    TAcceptanceHost& m_host;
    QTableWidget* GridInputs;
    QTableWidget* GridEffects;
    QLineEdit* EditTester;
    QLabel* LabelInput;
    QPushButton* ButtonPass;
    QPushButton* ButtonFail;
    QPushButton* ButtonUnchecked;

    std::string m_path; // the results file read last
    TAcceptanceFile::Contents m_contents;
    QString m_readError;
    TAcceptance m_acceptance;
    bool m_stale = true;
    bool m_filling = false;
    bool m_testerTyped = false;
    // Rows the columns were last fitted to.
    int m_inputsFitted = -1;
    int m_effectsFitted = -1;
    TProject::Subscription m_subscription;
};
