#pragma once
// The controller image: the 2048-byte configuration memory of the KT7-CU.
//
// Bit order: bit n of a field that begins at offset B is the bit with mask
// 0x80 >> (n % 8) of byte B + n / 8, so bit 0 is the most significant bit of
// the field's first byte. Every bit set in the image uses this order.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

// A small unsigned value kept under a contiguous mask of one byte.
struct TBitRange {
    int offset;   // relative to the start of the structure it belongs to
    uint8_t mask; // contiguous, non-zero

    constexpr int shift() const { return std::countr_zero(static_cast<unsigned>(mask)); }
    constexpr uint8_t maxValue() const { return static_cast<uint8_t>(mask >> shift()); }
    constexpr TBitRange at(int base) const { return {base + offset, mask}; }
};

constexpr bool isContiguousMask(uint8_t mask)
{
    const unsigned m = mask >> std::countr_zero(static_cast<unsigned>(mask));
    return mask != 0 && (m & (m + 1)) == 0;
}

class TImage {
public:
    static constexpr int Size = 2048;
    static constexpr int BlockSize = 32;
    // A whole-image transfer moves the image in this many blocks.
    static constexpr int Blocks = Size / BlockSize;
    using Bytes = std::array<uint8_t, Size>;

    TImage() { clear(); }

    uint8_t byte(int offset) const { return m_bytes.at(static_cast<size_t>(offset)); }
    void setByte(int offset, uint8_t value) { m_bytes.at(static_cast<size_t>(offset)) = value; }

    // Single bits in image bit order.
    bool bit(int fieldOffset, int bitIndex) const;
    void setBit(int fieldOffset, int bitIndex, bool on);

    // A value in a bit range of one byte; a write leaves the other bits
    // unchanged and throws std::out_of_range for a value the range cannot hold.
    uint8_t value(TBitRange range) const;
    void setValue(TBitRange range, uint8_t value);

    // True if any of count bytes from offset is not zero.
    bool anySet(int offset, int count) const;

    void clear();
    void replace(const Bytes& bytes) { m_bytes = bytes; }
    // A 32-byte block at an offset that is a multiple of 32.
    void blockIn(int offset, const uint8_t* src);
    void blockOut(int offset, uint8_t* dst) const;
    // Copies count bytes inside the image (used by the stage copies).
    void copyBytes(int from, int to, int count);

    const Bytes& bytes() const { return m_bytes; }
    bool operator==(const TImage& other) const = default;

private:
    Bytes m_bytes;
};
