#include "tools/kt7sim/TSimController.h"

#include <algorithm>
#include <stdexcept>

#include "link/FrameLayout.h"
#include "link/TFrameChecksum.h"

namespace {

struct RequestKind {
    uint8_t command;
    uint8_t length; // header byte 2: bytes before the checksum
};
constexpr RequestKind Requests[] = {
    {Frame::CmdIdentify, Frame::IdentifySize - 1},
    {Frame::CmdRead, Frame::ReadRequestSize - 1},
    {Frame::CmdWrite, Frame::BlockFrameSize - 1},
};

void closeFrame(TSimController::Chunk& frame)
{
    frame.back() = TFrameChecksum::over(frame.data(), frame.size() - 1);
}

// Bytes that are neither 0x00 nor 0x01, so they never look like the start of a frame.
TSimController::Chunk noise(size_t count)
{
    TSimController::Chunk bytes(count);
    for (size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<uint8_t>(0xA5 ^ (i * 37));
        bytes[i] = byte <= Frame::Lead1 ? byte | 0x80 : byte;
    }
    return bytes;
}

} // namespace

TSimController::TSimController(std::string serial) : TSimController(std::move(serial), Faults{})
{
}

TSimController::TSimController(std::string serial, Faults faults)
    : m_serial(std::move(serial)), m_faults(std::move(faults))
{
    if (m_serial.size() != Frame::SerialSize)
        throw std::invalid_argument("the serial number must have 10 characters");
}

std::vector<TSimController::Chunk> TSimController::consume(const uint8_t* bytes, size_t count)
{
    std::vector<Chunk> out;
    m_input.insert(m_input.end(), bytes, bytes + count);
    for (;;) {
        const int length = requestAtFront();
        if (length == 0)
            break;
        if (length < 0) {
            m_input.erase(m_input.begin());
            continue;
        }
        Chunk reply = answer(m_input.data());
        m_input.erase(m_input.begin(), m_input.begin() + length);
        if (!reply.empty())
            queue(std::move(reply), out);
    }
    return out;
}

int TSimController::requestAtFront() const
{
    const size_t have = m_input.size();
    if (have == 0)
        return 0;
    if (m_input[Frame::PosLead0] != Frame::Lead0)
        return -1;
    if (have > Frame::PosLead1 && m_input[Frame::PosLead1] != Frame::Lead1)
        return -1;
    if (have < Frame::HeaderSize)
        return 0;
    const auto kind = std::find_if(std::begin(Requests), std::end(Requests), [&](const RequestKind& k) {
        return k.command == m_input[Frame::PosCommand] && k.length == m_input[Frame::PosLength];
    });
    if (kind == std::end(Requests))
        return -1;
    const size_t length = size_t(kind->length) + 1;
    if (have < length)
        return 0;
    if (TFrameChecksum::over(m_input.data(), kind->length) != m_input[kind->length])
        return -1;
    return static_cast<int>(length);
}

TSimController::Chunk TSimController::answer(const uint8_t* request)
{
    if (m_lineClosed)
        return {};
    const uint8_t command = request[Frame::PosCommand];
    if (command == Frame::CmdIdentify)
        return identifyReply();
    if (m_faults.silentAfter >= 0 && m_blockReplies >= m_faults.silentAfter)
        return {};
    const auto address = static_cast<uint16_t>(request[Frame::PosAddressHigh] << 8 | request[Frame::PosAddressLow]);
    const size_t at = std::min<size_t>(address, MemorySize);
    const size_t count = std::min<size_t>(Frame::BlockDataSize, MemorySize - at);
    std::array<uint8_t, Frame::BlockDataSize> held{};
    std::copy_n(m_memory.begin() + at, count, held.begin());
    if (command == Frame::CmdWrite)
        std::copy_n(request + Frame::PosData, count, m_memory.begin() + at);
    Chunk reply = blockReply(command, address);
    // A dropped write is echoed as if it had happened.
    if (command == Frame::CmdWrite && address / Frame::BlockDataSize == m_faults.dropWriteBlock)
        std::copy_n(held.begin(), count, m_memory.begin() + at);
    return reply;
}

TSimController::Chunk TSimController::identifyReply() const
{
    Chunk frame(Frame::IdentifyReplySize);
    frame[Frame::PosLead0] = Frame::Lead0;
    frame[Frame::PosLead1] = Frame::Lead1;
    frame[Frame::PosLength] = static_cast<uint8_t>(frame.size() - 1);
    frame[Frame::PosCommand] = m_faults.refuseIdentify ? StatusRefused : Frame::StatusAccepted;
    std::copy(m_serial.begin(), m_serial.end(), frame.begin() + Frame::PosSerial);
    closeFrame(frame);
    if (m_faults.identifyBytes >= 0 && static_cast<size_t>(m_faults.identifyBytes) < frame.size())
        frame.resize(static_cast<size_t>(m_faults.identifyBytes));
    return frame;
}

TSimController::Chunk TSimController::blockReply(uint8_t command, uint16_t address)
{
    uint16_t carried = address;
    for (Redirect& r : m_faults.wrongAddress)
        if (r.from == address && r.times != 0) {
            carried = r.to;
            r.times -= r.times > 0 ? 1 : 0;
        }

    Chunk frame(Frame::BlockFrameSize);
    frame[Frame::PosLead0] = Frame::Lead0;
    frame[Frame::PosLead1] = Frame::Lead1;
    frame[Frame::PosLength] = static_cast<uint8_t>(frame.size() - 1);
    frame[Frame::PosCommand] = command;
    frame[Frame::PosAddressHigh] = static_cast<uint8_t>(carried >> 8);
    frame[Frame::PosAddressLow] = static_cast<uint8_t>(carried & 0xFF);
    for (size_t i = 0; i < Frame::BlockDataSize && carried + i < MemorySize; ++i)
        frame[Frame::PosData + i] = m_memory[carried + i];
    if (command == Frame::CmdWrite && address / Frame::BlockDataSize == m_faults.corruptEchoBlock)
        frame[Frame::PosData] ^= 0xFF;
    closeFrame(frame);
    const int block = address / Frame::BlockDataSize;
    if (block == m_faults.badChecksumBlock && m_badChecksumsSent < m_faults.badChecksumTimes) {
        frame[Frame::PosBlockChecksum] ^= 0x5A;
        ++m_badChecksumsSent;
    }
    if (block == m_faults.cutReplyBlock && static_cast<size_t>(m_faults.cutReplyBytes) < frame.size())
        frame.resize(static_cast<size_t>(m_faults.cutReplyBytes));
    if (block == m_faults.lateBlock && !m_lateSent) {
        m_holdMs = m_faults.lateMs;
        m_lateSent = true;
    }

    ++m_blockReplies;
    if (m_faults.closeAfter >= 0 && m_blockReplies >= m_faults.closeAfter)
        m_lineClosed = true;
    return frame;
}

void TSimController::queue(Chunk reply, std::vector<Chunk>& out)
{
    if (m_faults.garbage > 0 && !m_garbageSent && reply.size() == Frame::BlockFrameSize) {
        out.push_back(noise(m_faults.garbage));
        m_garbageSent = true;
    }
    size_t at = 0;
    for (size_t size : m_faults.split) {
        if (at >= reply.size())
            break;
        const size_t take = std::min(size, reply.size() - at);
        out.emplace_back(reply.begin() + at, reply.begin() + at + take);
        at += take;
    }
    if (at < reply.size())
        out.emplace_back(reply.begin() + at, reply.end());
    if (m_faults.surplus > 0) {
        const Chunk extra = noise(m_faults.surplus);
        if (m_faults.surplusApart)
            out.push_back(extra);
        else
            out.back().insert(out.back().end(), extra.begin(), extra.end());
    }
}
