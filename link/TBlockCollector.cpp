#include "link/TBlockCollector.h"

#include <algorithm>
#include <cstring>

#include "link/TFrameChecksum.h"

size_t TBlockCollector::append(const uint8_t* batch, size_t count)
{
    const size_t kept = std::min(count, ReplySize - m_received);
    if (kept == 0)
        return 0;
    std::memcpy(m_area.data() + m_received, batch, kept);
    m_received += kept;
    return kept;
}

uint16_t TBlockCollector::address() const
{
    return static_cast<uint16_t>(m_area[Frame::PosAddressHigh] << 8 | m_area[Frame::PosAddressLow]);
}

uint8_t TBlockCollector::expectedChecksum() const
{
    return TFrameChecksum::over(m_area.data(), Frame::PosBlockChecksum);
}
