#include "link/TImageTransfer.h"

#include "image/TImage.h"
#include "link/THexText.h"
#include "link/TRequestFrames.h"

#include <algorithm>

namespace {

constexpr int BlockSize = Frame::BlockDataSize;

bool fitsImage(unsigned address)
{
    return address + BlockSize <= TImage::Size;
}

} // namespace

std::vector<uint8_t> TImageTransfer::start(Kind kind, const TImage& image)
{
    m_kind = kind;
    m_active = true;
    m_checksumMismatches = 0;
    m_collector.reset();
    m_received.clear();
    m_received.reserve(TImage::Size / BlockSize);
    if (kind == Kind::Write)
        m_written = image.bytes();
    return requestFor(0);
}

void TImageTransfer::stop()
{
    m_active = false;
    m_received.clear();
}

size_t TImageTransfer::replyBytesMissing() const
{
    return m_active ? TBlockCollector::ReplySize - m_collector.received() : 0;
}

std::vector<uint8_t> TImageTransfer::requestFor(uint16_t address) const
{
    if (m_kind == Kind::Read) {
        const auto frame = TRequestFrames::read(address);
        return {frame.begin(), frame.end()};
    }
    uint8_t data[BlockSize];
    for (int i = 0; i < BlockSize; ++i)
        data[i] = m_written[static_cast<size_t>(address + i)];
    const auto frame = TRequestFrames::write(address, data);
    return {frame.begin(), frame.end()};
}

TImageTransfer::Step TImageTransfer::take(const uint8_t* batch, size_t count, TImage& image)
{
    Step step;
    if (!m_active)
        return step;
    step.notes.push_back("byte=" + THexText::of(static_cast<unsigned>(count), 4));
    m_collector.append(batch, count);
    if (!m_collector.complete())
        return step;

    step.address = m_collector.address();
    step.notes.push_back("------------");
    step.notes.push_back("copy to" + THexText::of(step.address, 4));
    if (!m_collector.checksumMatches()) {
        step.checksumMismatch = true;
        ++m_checksumMismatches;
        step.notes.push_back("crc error " + THexText::of(m_collector.checksum(), 2) + ", expected "
                             + THexText::of(m_collector.expectedChecksum(), 2));
    }
    const TBlockCollector reply = m_collector;
    m_collector.reset();

    if (!fitsImage(step.address)) {
        stop();
        step.outcome = Outcome::AddressOutside;
        return step;
    }

    const uint8_t* data = reply.data();
    if (m_kind == Kind::Read) {
        Block& block = m_received.emplace_back();
        block.address = step.address;
        std::copy(data, data + BlockSize, block.data.begin());
    } else {
        for (int i = 0; i < BlockSize; ++i)
            if (m_written[static_cast<size_t>(step.address + i)] != data[i])
                step.echoDiffers = true;
    }

    const unsigned next = step.address + BlockSize;
    if (next >= TImage::Size) {
        for (const Block& block : m_received)
            for (int i = 0; i < BlockSize; ++i)
                image.setByte(block.address + i, block.data[static_cast<size_t>(i)]);
        stop();
        step.outcome = Outcome::Complete;
    } else if (!fitsImage(next)) {
        // An unaligned address earlier on leaves a last block that would run
        // past the image end; it can be neither requested nor stored.
        stop();
        step.outcome = Outcome::AddressOutside;
    } else {
        step.outcome = Outcome::NextBlock;
        step.request = requestFor(static_cast<uint16_t>(next));
    }
    return step;
}
