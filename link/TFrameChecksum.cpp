#include "link/TFrameChecksum.h"

namespace {
constexpr uint8_t ReflectedPolynomial = 0x8C;
}

void TFrameChecksum::step(uint8_t byte)
{
    for (int bit = 0; bit < 8; ++bit) {
        const bool carry = ((m_value ^ byte) & 0x01) != 0;
        m_value = static_cast<uint8_t>(m_value >> 1);
        if (carry)
            m_value ^= ReflectedPolynomial;
        byte = static_cast<uint8_t>(byte >> 1);
    }
}

uint8_t TFrameChecksum::over(const uint8_t* bytes, size_t count)
{
    TFrameChecksum sum;
    for (size_t i = 0; i < count; ++i)
        sum.step(bytes[i]);
    return sum.value();
}
