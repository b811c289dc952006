#pragma once
// One 12-byte stage of an alarm algorithm record, addressed by its stage offset.

#include "image/ImageLayout.h"

class TStageRecord {
public:
    // Duration codes: 0 off, 1..240 x 15 s, 255 unlimited (241..254 read as unlimited).
    static constexpr uint8_t DurationOff = 0;
    static constexpr uint8_t DurationMin = 2; // 30 s, the least stage 1 may run
    static constexpr uint8_t DurationMaxTimed = 240;
    static constexpr uint8_t DurationUnlimited = 255;

    TStageRecord(TImage& image, int offset) : m_image(image), m_offset(offset) {}

    int offset() const { return m_offset; }

    bool k1() const { return m_image.value(Layout::Stage::K1.at(m_offset)) != 0; }
    bool k2() const { return m_image.value(Layout::Stage::K2.at(m_offset)) != 0; }
    void setK1(bool on) { m_image.setValue(Layout::Stage::K1.at(m_offset), on); }
    void setK2(bool on) { m_image.setValue(Layout::Stage::K2.at(m_offset), on); }

    uint8_t duration() const { return m_image.byte(m_offset + Layout::Stage::Duration); }
    void setDuration(uint8_t code) { m_image.setByte(m_offset + Layout::Stage::Duration, code); }
    // On: any duration but 0. Ends the run of stages: off or unlimited, where
    // every code above 240 reads as unlimited, so a stage shown as unlimited
    // is never followed by a reachable stage.
    bool isOn() const { return duration() != DurationOff; }
    bool endsRun() const { return duration() == DurationOff || duration() > DurationMaxTimed; }

    // Message code = source x 8 + (number - 1); source 0 is the panel, 1..3 MS3-1..MS3-3.
    uint8_t messageCode() const { return m_image.value(Layout::Stage::Message.at(m_offset)); }
    void setMessageCode(uint8_t code) { m_image.setValue(Layout::Stage::Message.at(m_offset), code); }
    int messageSource() const { return messageCode() / 8; }
    int messageNumber() const { return messageCode() % 8 + 1; }

    bool outputBit(int n) const { return m_image.bit(m_offset + Layout::Stage::Outputs, n); }
    void setOutputBit(int n, bool on) { m_image.setBit(m_offset + Layout::Stage::Outputs, n, on); }
    bool relayBit(int n) const { return m_image.bit(m_offset + Layout::Stage::Relays, n); }
    void setRelayBit(int n, bool on) { m_image.setBit(m_offset + Layout::Stage::Relays, n, on); }

    // Copies from another stage: bytes 1..2 (duration and the whole message byte),
    // bytes 3..8 (output mask) or bytes 9..11 (relay mask). K1 and K2 are never copied.
    void copyTimeAndMessage(const TStageRecord& from) { copy(from, Layout::Stage::Duration, 2); }
    void copyOutputs(const TStageRecord& from) { copy(from, Layout::Stage::Outputs, Layout::MaskSize); }
    void copyRelays(const TStageRecord& from) { copy(from, Layout::Stage::Relays, Layout::Stage::RelaysSize); }

private:
    void copy(const TStageRecord& from, int displacement, int count)
    {
        m_image.copyBytes(from.m_offset + displacement, m_offset + displacement, count);
    }

    TImage& m_image;
    int m_offset;
};
