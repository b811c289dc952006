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

    // A view of the algorithm below the page's controls; it is asked for its
    // size again whenever the page is loaded.
    void addBelow(QWidget* view);

private:
    TAlarmRecord record() const;

    QCheckBox* CBIntState;
    QComboBox* CBDelay;
    QLineEdit* EditAName;
    QPushButton* Button6;
    QWidget* m_below = nullptr;
};
