#pragma once
// Collects one 39-byte block reply from batches of any size. Bytes beyond the
// reply are dropped, so nothing is ever written past the reply area.

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/FrameLayout.h"

class TBlockCollector {
public:
    static constexpr size_t ReplySize = Frame::BlockFrameSize;

    // Returns how many bytes of the batch were kept.
    size_t append(const uint8_t* batch, size_t count);
    void reset() { m_received = 0; }

    size_t received() const { return m_received; }
    bool complete() const { return m_received == ReplySize; }

    // Meaningful once complete.
    uint16_t address() const;
    const uint8_t* data() const { return m_area.data() + Frame::PosData; }
    uint8_t checksum() const { return m_area[Frame::PosBlockChecksum]; }
    uint8_t expectedChecksum() const;
    bool checksumMatches() const { return checksum() == expectedChecksum(); }

private:
    std::array<uint8_t, ReplySize> m_area{};
    size_t m_received = 0;
};
