#include "link/TIdentReply.h"

#include "link/FrameLayout.h"

#include <algorithm>

namespace {

// Zero-based positions in the text and the reply bytes shown there.
constexpr size_t SerialAt = 4;
constexpr size_t SerialLength = 4;
struct Group {
    size_t textAt;
    int byteAt;
};
constexpr Group Groups[] = {{10, 8}, {13, 10}, {16, 12}};

} // namespace

TIdentReply::TIdentReply(const uint8_t* batch, size_t count) : m_text("S/N-     (  .  .  ) ")
{
    const auto at = [&](int i) { return static_cast<char>(static_cast<size_t>(i) < count ? batch[i] : 0x00); };
    m_status = static_cast<uint8_t>(at(Frame::PosCommand));
    for (size_t i = 0; i < SerialLength; ++i)
        m_text[SerialAt + i] = at(Frame::PosSerial + static_cast<int>(i));
    for (const Group& g : Groups) {
        m_text[g.textAt] = at(g.byteAt);
        m_text[g.textAt + 1] = at(g.byteAt + 1);
    }
}

size_t TIdentReply::expectedLength(const uint8_t* bytes, size_t count)
{
    constexpr size_t Whole = Frame::IdentifyReplySize;
    if (count <= Frame::PosLength)
        return Whole;
    return std::clamp<size_t>(size_t(bytes[Frame::PosLength]) + 1, Frame::PosCommand + 1, Whole);
}

std::string TIdentReply::serial() const
{
    return m_text.substr(SerialAt, SerialLength);
}

std::string TIdentReply::serialNumber() const
{
    std::string number = serial();
    for (const Group& g : Groups)
        number += m_text.substr(g.textAt, 2);
    return number;
}
