#pragma once
// The 60-byte alarm algorithm record of one activation input: five stages, the
// first of which carries the switch and the delay code in its head byte.

#include "image/TStageRecord.h"

class TAlarmRecord {
public:
    TAlarmRecord(TImage& image, int input) : m_image(image), m_offset(Layout::recordOffset(input)) {}

    int offset() const { return m_offset; }

    bool enabled() const { return m_image.value(Layout::Stage::Enabled.at(m_offset)) != 0; }
    void setEnabled(bool on) { m_image.setValue(Layout::Stage::Enabled.at(m_offset), on); }

    // 0..26 index the delay list; 27..31 can be loaded but have no entry.
    uint8_t delayCode() const { return m_image.value(Layout::Stage::DelayCode.at(m_offset)); }
    void setDelayCode(uint8_t code) { m_image.setValue(Layout::Stage::DelayCode.at(m_offset), code); }

    TStageRecord stage(int k) const { return TStageRecord(m_image, m_offset + Layout::StageSize * (k - 1)); }

private:
    TImage& m_image;
    int m_offset;
};
