#pragma once
// Page 0: how many splitters, consoles, message modules and relay modules the
// system has.

#include "editor/TPage.h"

class QComboBox;

class TSystemPage : public TPage {
    Q_OBJECT
public:
    explicit TSystemPage(TEditorHost& host, QWidget* parent = nullptr);

    void load() override;

    // Counts as the lists show them; -1 when a list shows no choice.
    int splitters() const;
    int consoles() const;
    // Texts of CBCount, CBPult, CBMod and CBRele as shown.
    QStringList shownCounts() const;

    // Edit handlers; the editor reload runs the three count handlers too.
    void CBCountChange();
    void CBPultChange();
    void CBModChange();
    void CBReleChange();
    // Stores nothing when the list shows no choice.
    void applySplitterCount();

private:
    QComboBox* addList(const QString& name, const QString& label, int items, int first);

    QComboBox* CBCount;
    QComboBox* CBPult;
    QComboBox* CBMod;
    QComboBox* CBRele;
};
