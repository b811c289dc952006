#include "image/TImage.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {
constexpr uint8_t bitMask(int bitIndex)
{
    return static_cast<uint8_t>(0x80u >> (bitIndex % 8));
}
} // namespace

bool TImage::bit(int fieldOffset, int bitIndex) const
{
    return (byte(fieldOffset + bitIndex / 8) & bitMask(bitIndex)) != 0;
}

void TImage::setBit(int fieldOffset, int bitIndex, bool on)
{
    const int at = fieldOffset + bitIndex / 8;
    const uint8_t mask = bitMask(bitIndex);
    setByte(at, on ? (byte(at) | mask) : (byte(at) & ~mask));
}

uint8_t TImage::value(TBitRange range) const
{
    return static_cast<uint8_t>((byte(range.offset) & range.mask) >> range.shift());
}

void TImage::setValue(TBitRange range, uint8_t value)
{
    // A value wider than its field would land in a neighbour's bits if it
    // were masked: refuse it like an offset outside the image.
    if (value > range.maxValue())
        throw std::out_of_range("value " + std::to_string(value) + " does not fit the field at offset "
                                + std::to_string(range.offset) + " under mask " + std::to_string(range.mask));
    const uint8_t placed = static_cast<uint8_t>((value << range.shift()) & range.mask);
    setByte(range.offset, static_cast<uint8_t>((byte(range.offset) & ~range.mask) | placed));
}

bool TImage::anySet(int offset, int count) const
{
    for (int i = 0; i < count; ++i)
        if (byte(offset + i) != 0)
            return true;
    return false;
}

void TImage::clear()
{
    m_bytes.fill(0);
}

void TImage::blockIn(int offset, const uint8_t* src)
{
    assert(offset % BlockSize == 0 && offset >= 0 && offset + BlockSize <= Size);
    std::memcpy(m_bytes.data() + offset, src, BlockSize);
}

void TImage::blockOut(int offset, uint8_t* dst) const
{
    assert(offset % BlockSize == 0 && offset >= 0 && offset + BlockSize <= Size);
    std::memcpy(dst, m_bytes.data() + offset, BlockSize);
}

void TImage::copyBytes(int from, int to, int count)
{
    assert(from >= 0 && to >= 0 && from + count <= Size && to + count <= Size);
    std::memmove(m_bytes.data() + to, m_bytes.data() + from, static_cast<size_t>(count));
}
