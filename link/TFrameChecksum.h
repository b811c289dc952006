#pragma once
// Dallas/Maxim 1-Wire CRC-8 (x^8 + x^5 + x^4 + 1, reflected, initial value 0,
// no final inversion) that closes every frame. Check value over "123456789": 0xA1.

#include <cstddef>
#include <cstdint>

class TFrameChecksum {
public:
    void reset() { m_value = 0; }
    void step(uint8_t byte);
    uint8_t value() const { return m_value; }

    static uint8_t over(const uint8_t* bytes, size_t count);

private:
    uint8_t m_value = 0;
};
