#include "link/TLinkEngine.h"

#include "link/TBlockCollector.h"
#include "link/TFrameChecksum.h"
#include "link/THexText.h"
#include "link/TRequestFrames.h"

#include <algorithm>

namespace {

constexpr int BlockSize = Frame::BlockDataSize;

bool fitsImage(unsigned address)
{
    return address + BlockSize <= TImage::Size;
}

std::string blockName(uint16_t address)
{
    return "block 0x" + THexText::of(address, 4);
}

// Drops the bytes in front of the first place where a frame of the given
// length byte may start (00 01 length, as far as the bytes go); returns how
// many were dropped.
size_t alignToFrame(std::vector<uint8_t>& bytes, uint8_t length)
{
    const std::array<uint8_t, 3> start{Frame::Lead0, Frame::Lead1, length};
    size_t at = 0;
    for (; at < bytes.size(); ++at) {
        const size_t n = std::min(bytes.size() - at, start.size());
        if (std::equal(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + n), start.begin()))
            break;
    }
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<long>(at));
    return at;
}

} // namespace

TLinkEngine::TLinkEngine(TLinkPolicy policy) : m_policy(policy)
{
}

std::vector<uint8_t> TLinkEngine::start(Job job, const TImage& image)
{
    m_job = job;
    m_active = true;
    m_checksumMismatches = 0;
    m_blocksDone = 0;
    m_unanswered = false;
    m_attempt = 0;
    m_first = true;
    m_dropped = 0;
    m_staleReplies = 0;
    m_reply.clear();
    m_received.clear();
    if (job == Job::Identify) {
        const auto frame = TRequestFrames::identify();
        m_request.assign(frame.begin(), frame.end());
        return m_request;
    }
    m_received.reserve(TImage::Blocks);
    if (job == Job::Write)
        m_written = image.bytes();
    return requestFor(0);
}

void TLinkEngine::stop()
{
    m_active = false;
    m_reply.clear();
}

int TLinkEngine::readSoFar(TImage& image) const
{
    if (m_job != Job::Read)
        return 0;
    int blocks = 0;
    for (const Block& block : m_received) {
        if (block.address != blocks * BlockSize)
            break;
        image.blockIn(block.address, block.data.data());
        ++blocks;
    }
    return blocks;
}

bool TLinkEngine::clearsInput() const
{
    return m_first || m_policy.surplus == TLinkPolicy::Surplus::InputClearedBeforeRequest;
}

std::optional<std::chrono::microseconds> TLinkEngine::replyWait() const
{
    return m_policy.replyWait(m_request.size(), replySize());
}

size_t TLinkEngine::replySize() const
{
    if (m_job != Job::Identify)
        return TBlockCollector::ReplySize;
    if (m_policy.collect == TLinkPolicy::Collect::FromReplyStart)
        return Frame::IdentifyReplySize;
    return TIdentReply::expectedLength(m_reply.data(), m_reply.size());
}

size_t TLinkEngine::replyBytesMissing() const
{
    return m_active ? replySize() - std::min(replySize(), m_reply.size()) : 0;
}

std::vector<uint8_t> TLinkEngine::requestFor(uint16_t address)
{
    m_asked = address;
    if (m_job == Job::Read) {
        const auto frame = TRequestFrames::read(address);
        m_request.assign(frame.begin(), frame.end());
        return m_request;
    }
    uint8_t data[BlockSize];
    for (int i = 0; i < BlockSize; ++i)
        data[i] = m_written[static_cast<size_t>(address + i)];
    const auto frame = TRequestFrames::write(address, data);
    m_request.assign(frame.begin(), frame.end());
    return m_request;
}

bool TLinkEngine::collect(const uint8_t* batch, size_t count)
{
    m_reply.insert(m_reply.end(), batch, batch + count);
    const size_t size = replySize();
    if (m_policy.collect == TLinkPolicy::Collect::FromReplyStart)
        m_dropped += alignToFrame(m_reply, static_cast<uint8_t>(size - 1));
    if (m_reply.size() < size)
        return false;
    // The rest of the batch is surplus. An identify reply collected by its
    // length keeps it: its serial is read where the bytes stand.
    if (m_job != Job::Identify || m_policy.collect == TLinkPolicy::Collect::FromReplyStart)
        m_reply.resize(size);
    return true;
}

TLinkEngine::Step TLinkEngine::take(const uint8_t* batch, size_t count, TImage& image)
{
    Step step;
    if (!m_active)
        return step;
    if (m_job == Job::Identify)
        return collect(batch, count) ? takeIdentify() : step;
    step.notes.push_back("byte=" + THexText::of(static_cast<unsigned>(count), 4));
    if (!collect(batch, count))
        return step;
    return takeBlock(std::move(step), image);
}

TLinkEngine::Step TLinkEngine::takeIdentify()
{
    Step step;
    const bool refused = m_reply[Frame::PosCommand] != Frame::StatusAccepted;
    if (m_policy.checksum == TLinkPolicy::Checksum::AskAgain && !refused
        && TFrameChecksum::over(m_reply.data(), m_reply.size() - 1) != m_reply.back())
        return failed(std::move(step), "identify reply with a wrong checksum", true);
    return identified(std::move(step));
}

TLinkEngine::Step TLinkEngine::identified(Step step)
{
    step.outcome = Outcome::Identified;
    // Positions the reply did not bring read as 0.
    step.ident.emplace(m_reply.data(), m_reply.size());
    stop();
    return step;
}

TLinkEngine::Step TLinkEngine::failed(Step step, std::string failure, bool lineMayExplain)
{
    stop();
    step.outcome = Outcome::Failed;
    step.failure = std::move(failure);
    step.lineMayExplain = lineMayExplain;
    return step;
}

std::string TLinkEngine::strayNote() const
{
    return m_dropped > 0 ? ", only " + std::to_string(m_dropped) + " stray bytes" : std::string();
}

TLinkEngine::Step TLinkEngine::timeOut()
{
    Step step;
    if (!m_active)
        return step;
    const size_t got = m_reply.size();
    if (m_job == Job::Identify) {
        if (!m_policy.timeOuts())
            return got > 0 ? identified(std::move(step)) : step;
        if (got == 0)
            return failed(std::move(step),
                          "the controller does not answer (no reply to identify within "
                              + std::to_string(m_policy.timeoutMs) + " ms" + strayNote() + ")",
                          true);
        if (got > Frame::PosCommand && m_reply[Frame::PosCommand] != Frame::StatusAccepted)
            return identified(std::move(step));
        return failed(std::move(step),
                      "incomplete identify reply (" + std::to_string(got) + " of "
                          + std::to_string(Frame::IdentifyReplySize) + " bytes)",
                      true);
    }
    // Without time-outs a block reply is waited for until the caller gives up.
    if (!m_policy.timeOuts())
        return step;
    step.received = got;
    if (got == 0 && m_staleReplies > 0)
        return attemptFailed(std::move(step), Cause::BlockBefore,
                             "only a reply to block 0x" + THexText::of(m_lastAddress, 4) + ", the block before, within "
                                 + std::to_string(m_policy.timeoutMs) + " ms");
    if (got == 0)
        return attemptFailed(std::move(step), Cause::NoReply,
                             "no reply within " + std::to_string(m_policy.timeoutMs) + " ms" + strayNote());
    return attemptFailed(std::move(step), Cause::Incomplete,
                         "incomplete reply (" + std::to_string(got) + " of "
                             + std::to_string(TBlockCollector::ReplySize) + " bytes)");
}

TLinkEngine::Step TLinkEngine::attemptFailed(Step step, Cause cause, const std::string& text)
{
    if (m_attempt >= m_policy.repeats) {
        step.cause = cause;
        step.block = m_asked;
        step.tries = m_attempt + 1;
        return failed(std::move(step),
                      blockName(m_asked) + ": " + text + " (" + std::to_string(m_attempt + 1) + " tries)", true);
    }
    ++m_attempt;
    ++m_repeats;
    m_first = false;
    m_reply.clear();
    m_dropped = 0;
    m_staleReplies = 0;
    step.outcome = Outcome::Again;
    step.request = m_request;
    return step;
}

TLinkEngine::Step TLinkEngine::takeBlock(Step step, TImage& image)
{
    TBlockCollector reply;
    reply.append(m_reply.data(), m_reply.size());
    m_reply.clear();

    step.address = reply.address();
    step.notes.push_back("------------");
    step.notes.push_back("copy to" + THexText::of(step.address, 4));
    if (!reply.checksumMatches()) {
        if (m_policy.checksum == TLinkPolicy::Checksum::AskAgain)
            return attemptFailed(std::move(step), Cause::Checksum, "reply with a wrong checksum");
        step.checksumMismatch = true;
        ++m_checksumMismatches;
        step.notes.push_back("crc error " + THexText::of(reply.checksum(), 2) + ", expected "
                             + THexText::of(reply.expectedChecksum(), 2));
    }
    if (m_policy.addresses == TLinkPolicy::Addresses::ExactlyAsked && step.address != m_asked) {
        // A repeated request whose first reply came late is answered twice;
        // the second answer arrives while the next block is asked for.
        if (step.address == m_lastAddress) {
            m_dropped = 0;
            ++m_staleReplies;
            Step wait;
            wait.notes = std::move(step.notes);
            return wait;
        }
        return attemptFailed(std::move(step), Cause::WrongAddress,
                             "the reply carries address 0x" + THexText::of(step.address, 4)
                                 + (fitsImage(step.address) ? "" : ", outside the image"));
    }
    if (!fitsImage(step.address)) {
        stop();
        step.outcome = Outcome::AddressOutside;
        return step;
    }

    const uint8_t* data = reply.data();
    if (m_job == Job::Read) {
        Block& block = m_received.emplace_back();
        block.address = step.address;
        std::copy(data, data + BlockSize, block.data.begin());
    } else {
        for (int i = 0; i < BlockSize; ++i)
            if (m_written[static_cast<size_t>(step.address + i)] != data[i])
                step.echoDiffers = true;
    }
    m_lastAddress = step.address;
    ++m_blocksDone;
    m_unanswered = false;
    m_attempt = 0;
    m_first = false;
    m_dropped = 0;
    m_staleReplies = 0;

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
