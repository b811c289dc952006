#include "editor/TSettingsPage.h"

#include "editor/TCheckGrid.h"
#include "editor/TEditorHost.h"
#include "image/ImageLayout.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

TSettingsPage::TSettingsPage(TEditorHost& host, QWidget* parent)
    : TPage(host, QStringLiteral("  Функциональные настройки"), parent)
{
    CBPhone = new QCheckBox(QStringLiteral("Телефонный аудио пейджинг"), this);
    CBPhone->setObjectName("CBPhone");
    CBMusic = new QCheckBox(QStringLiteral("Фоновая музыка"), this);
    CBMusic->setObjectName("CBMusic");
    body()->addWidget(CBPhone);
    body()->addWidget(CBMusic);
    body()->addWidget(new QLabel(QStringLiteral("Назначте выходы разветвителей  для трансляции фоновой музыки"), this));
    m_musicGrid = TCheckGrid::outputGrid(49, QStringLiteral("№ разветвителя Zarna KT7-LB"), this);
    body()->addWidget(m_musicGrid);
    body()->addStretch();

    connect(CBPhone, &QCheckBox::toggled, this, [this] { CBPhoneClick(); });
    connect(CBMusic, &QCheckBox::toggled, this, [this] { CBMusicClick(); });
    connect(m_musicGrid, &TCheckGrid::boxToggled, this, &TSettingsPage::CBZoneClick);
}

void TSettingsPage::load()
{
    const TImage& image = m_host.image();
    const int node = m_host.nodeOffset();
    CBPhone->setChecked(image.value(Layout::PagingFlag.at(node)));
    CBMusic->setChecked(image.value(Layout::MusicFlag.at(node)));
    const int mask = node + Layout::MusicMaskDisplacement;
    m_musicGrid->showStates([&](int p) { return image.bit(mask, p); });
}

bool TSettingsPage::paging() const
{
    return CBPhone->isChecked();
}

bool TSettingsPage::music() const
{
    return CBMusic->isChecked();
}

bool TSettingsPage::musicBoxTicked(int position) const
{
    return m_musicGrid->box(position)->isChecked();
}

void TSettingsPage::setUsableSplitters(int splitters)
{
    const TImage& image = m_host.image();
    const bool musicOn = image.value(Layout::MusicFlag.at(Layout::SystemNode));
    m_musicGrid->setUsableColumns(musicOn ? std::max(splitters, 0) : 0);
    // The boxes show the image again under the new usability, without writing
    // it: the report reads them whether or not the page was shown since, and
    // a splitter the composition lacks shows no mark.
    const QSignalBlocker blocker(m_musicGrid);
    const int mask = Layout::SystemNode + Layout::MusicMaskDisplacement;
    m_musicGrid->showStates([&](int p) { return image.bit(mask, p); });
}

void TSettingsPage::CBPhoneClick()
{
    if (m_host.loading())
        return;
    m_host.image().setValue(Layout::PagingFlag.at(m_host.nodeOffset()), CBPhone->isChecked());
    m_host.imageChanged();
}

void TSettingsPage::CBMusicClick()
{
    if (m_host.loading())
        return;
    m_host.image().setValue(Layout::MusicFlag.at(m_host.nodeOffset()), CBMusic->isChecked());
    if (CBMusic->isChecked()) {
        m_host.applySplitterCount();
    } else {
        // Unticking a box that shows ticked clears its bit; bits of boxes that
        // show unticked stay as they are.
        for (int p = 0; p < m_musicGrid->count(); ++p) {
            m_musicGrid->box(p)->setChecked(false);
            m_musicGrid->box(p)->setEnabled(false);
        }
    }
    m_host.imageChanged();
}

void TSettingsPage::CBZoneClick(int position, bool checked)
{
    if (m_host.loading())
        return;
    m_host.image().setBit(m_host.nodeOffset() + Layout::MusicMaskDisplacement, position, checked);
    m_host.imageChanged();
}
