#pragma once
// Page 4: the outputs switched on by one console button or belonging to one
// telephone paging group.

#include "editor/TPage.h"

class TCheckGrid;

class TZonePage : public TPage {
    Q_OBJECT
public:
    explicit TZonePage(TEditorHost& host, QWidget* parent = nullptr);

    void load() override;
    void setUsableSplitters(int splitters);

    void CBGrpClick(int position, bool checked);
    // A click on a splitter's number: its four outputs switched together, all
    // on unless all are on already, as one change.
    void SplitterHeadingClick(int splitter);

private:
    QLabel* Label12;
    TCheckGrid* m_grid;
};
