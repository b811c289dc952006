#pragma once
// Page 6: one stage of an alarm algorithm: running time, message, outputs,
// relays and the controller's relays K1 and K2, with copies from the previous stage.

#include "editor/TPage.h"

#include <array>

class QCheckBox;
class QPushButton;
class TCheckGrid;
class TCloseUpComboBox;
class TRadioGroup;
class TStageRecord;

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
    using BitWriter = void (TStageRecord::*)(int, bool);
    using StageCopy = void (TStageRecord::*)(const TStageRecord&);

    QPushButton* makeButton(const QString& name, const QString& text);
    // Stage number 1..5 of the selected node, from its place in its algorithm.
    int stageNumber() const;
    // Stage j of the selected node's algorithm.
    TStageRecord stage(int j) const;
    // Stores a list entry as the running time of the selected stage; off and
    // unlimited switch the later stages off.
    void applyDuration(int entry);
    // Stage 1 runs at least 30 s: a shorter entry becomes 00:30, with a notice;
    // the correction is dropped when the box outlives the page it was for.
    bool belowStageOneMinimum(int entry) const;
    void correctToStageOneMinimum();
    // Sets or clears every usable box of a grid that shows otherwise, with its bit.
    void setAllBoxes(TCheckGrid* grid, bool on, BitWriter write);
    void copyFromPrevious(StageCopy copy);

    TCloseUpComboBox* CBTime;
    std::array<TRadioGroup*, 4> m_groups{}; // RG1..RG4, Tag 0..3
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
    // The host's stamp when the page was last loaded.
    unsigned m_loadedStamp = 0;
};
