#pragma once
// Page 1: telephone audio paging, background music and the outputs that carry
// the music.

#include "editor/TPage.h"

class QCheckBox;
class TCheckGrid;

class TSettingsPage : public TPage {
    Q_OBJECT
public:
    explicit TSettingsPage(TEditorHost& host, QWidget* parent = nullptr);

    void load() override;
    bool paging() const;
    bool music() const;
    bool musicBoxTicked(int position) const;
    // Music boxes usable: music on in the image and within the splitter count;
    // the boxes then show the image's bits, unusable ones cleared.
    void setUsableSplitters(int splitters);

    void CBPhoneClick();
    void CBMusicClick();
    void CBZoneClick(int position, bool checked);

private:
    QCheckBox* CBPhone;
    QCheckBox* CBMusic;
    TCheckGrid* m_musicGrid;
};
