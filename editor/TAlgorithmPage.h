#pragma once
// Page 5: whether the alarm algorithm of one activation input is switched on,
// its delay and its name.

#include "editor/TPage.h"

class QCheckBox;
class TAlarmRecord;
class QComboBox;
class QLineEdit;
class QPushButton;

class TAlgorithmPage : public TPage {
    Q_OBJECT
public:
    explicit TAlgorithmPage(TEditorHost& host, QWidget* parent = nullptr);

    void load() override;

    void CBIntStateClick();
    void CBDelayChange();
    void Button6Click();
    // The page gives way to another node's: a name typed and not applied is
    // applied to the input it was typed for, so the typing is not lost.
    void leave();

    // A view of the algorithm below the page's controls; it is asked for its
    // size again whenever the page is loaded.
    void addBelow(QWidget* view);

private:
    TAlarmRecord record() const;

    QCheckBox* CBIntState;
    QComboBox* CBDelay;
    QLineEdit* EditAName;
    QPushButton* Button6;
    // The input whose values the page shows.
    int m_input = 0;
    QWidget* m_below = nullptr;
};
