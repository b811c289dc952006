#pragma once
// Page 6: one stage of an alarm algorithm: running time, message, outputs,
// relays and the controller's relays K1 and K2, with copies from the previous stage.

#include "editor/TPage.h"

#include <array>

class QCheckBox;
class QComboBox;
class QPushButton;
class TCheckGrid;
class TRadioGroup;

class TStagePage : public TPage {
    Q_OBJECT
public:
    explicit TStagePage(TEditorHost& host, QWidget* parent = nullptr);

    void load() override;
    void setUsableSplitters(int splitters);
    void setUsableRelayModules(int modules);
    void setUsableMessageModules(int modules);

    void CBTimeChange();
    void CBTimeCloseUp();
    void RG1Click(int group, int button);
    void CBZClick(int position, bool checked);
    void CBReleClick(int position, bool checked);
    void CBReleK1Click();
    void CBReleK2Click();
    void ButtonAllClick();
    void ButtonCancelClick();
    void Button1Click();
    void Button2Click();
    void ButtonCopyTimeClick();
    void ButtonCopyZClick();
    void ButtonCopyClick();

private:
    QPushButton* addButton(const QString& name, const QString& text);

    QComboBox* CBTime;
    std::array<TRadioGroup*, 4> m_groups{};  // RG1..RG4, Tag 0..3
    TCheckGrid* m_outputGrid;
    TCheckGrid* m_relayGrid;
    QCheckBox* CBReleK1;
    QCheckBox* CBReleK2;
    QPushButton* ButtonCopyTime;
    QPushButton* ButtonAll;
    QPushButton* ButtonCancel;
    QPushButton* ButtonCopyZ;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* ButtonCopy;
};
