#include "tools/kt7tool/TDirectLink.h"

#include "link/FrameLayout.h"
#include "link/TBlockCollector.h"
#include "link/TFrameChecksum.h"
#include "link/THexText.h"
#include "link/TRequestFrames.h"
#include "serial/TLineSettings.h"
#include "tools/kt7tool/TStopSignal.h"
#include "tools/kt7tool/TToolError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

std::string block(uint16_t address)
{
    return "block 0x" + THexText::of(address, 4);
}

// Drops the bytes in front of the first place where a frame of the given
// length byte may start (00 01 length, as far as the bytes go); returns how
// many are left.
size_t alignToFrame(uint8_t* bytes, size_t count, uint8_t length)
{
    const std::array<uint8_t, 3> start{Frame::Lead0, Frame::Lead1, length};
    size_t at = 0;
    for (; at < count; ++at) {
        const size_t n = std::min(count - at, start.size());
        if (std::equal(bytes + at, bytes + at + n, start.begin()))
            break;
    }
    std::memmove(bytes, bytes + at, count - at);
    return count - at;
}

} // namespace

TDirectLink::TDirectLink(std::string device, unsigned baud, int timeoutMs)
    : m_device(std::move(device)), m_timeoutMs(timeoutMs), m_byteMicros(static_cast<int>(10'000'000 / baud))
{
    const int err = m_line.Open(m_device);
    if (err == EBUSY)
        fail("busy: another program holds the port");
    if (err != 0)
        fail(std::strerror(err));
    TLineSettings settings;
    settings.BaudRate = baud;
    settings.Flags |= TLineSettings::FlagDtrEnable | TLineSettings::FlagRtsEnable;
    if (!m_line.Apply(settings))
        fail(std::string("cannot set the line to ") + std::to_string(baud)
             + " baud: " + std::strerror(m_line.LastError()));
    // The controller expects DTR and RTS on; a device without modem lines
    // (a pseudo-terminal) simply refuses, which does not matter.
    m_line.Escape(TSerialDevice::TEscape::SetDtr);
    m_line.Escape(TSerialDevice::TEscape::SetRts);
}

void TDirectLink::fail(const std::string& cause, int status) const
{
    throw TToolError(m_device + ": " + cause, status);
}

void TDirectLink::stopIfAsked() const
{
    if (const int signal = TStopSignal::received())
        fail("stopped by " + TStopSignal::name(signal), TStopSignal::exitStatus(signal));
}

std::string TDirectLink::strayNote() const
{
    return m_dropped > 0 ? ", only " + std::to_string(m_dropped) + " stray bytes" : std::string();
}

std::string TDirectLink::lineNotes() const
{
    if (m_vanished == 0)
        return {};
    return "; input the port announced was gone when read: another program may be reading the port";
}

void TDirectLink::send(const uint8_t* bytes, size_t count)
{
    if (m_observer)
        m_observer(bytes, count, false);
    while (count > 0) {
        const ssize_t n = ::write(m_line.Handle(), bytes, count);
        if (n > 0) {
            bytes += n;
            count -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{m_line.Handle(), POLLOUT, 0};
            const int ready = ::poll(&p, 1, m_timeoutMs);
            if (ready > 0 || (ready < 0 && errno == EINTR))
                continue;
            fail("the line does not take the request");
        }
        fail(std::string("cannot send: ") + std::strerror(n < 0 ? errno : EIO));
    }
}

TDirectLink::Clock::time_point TDirectLink::deadline(size_t requestSize, size_t replySize) const
{
    // The time-out is the controller's turn-around: the request still has to
    // leave the port (write() returns once the driver holds it) and the reply
    // needs its own line time, which a short time-out must not eat into.
    const auto lineTime
        = std::chrono::microseconds(static_cast<long>(m_byteMicros) * static_cast<long>(requestSize + replySize));
    return Clock::now() + std::chrono::milliseconds(m_timeoutMs) + lineTime;
}

size_t TDirectLink::collect(uint8_t* into, size_t size, Clock::time_point deadline)
{
    const auto length = static_cast<uint8_t>(size - 1);
    const char* const gone = "the line went away (the device was closed or unplugged)";
    size_t got = 0;
    m_dropped = 0;
    while (got < size) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        pollfd p{m_line.Handle(), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            fail(std::string("poll: ") + std::strerror(errno));
        if (ready == 0)
            break;
        if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(p.revents & POLLIN))
            fail(gone + lineNotes());
        const ssize_t n = ::read(m_line.Handle(), into + got, size - got);
        if (n > 0 && m_observer)
            m_observer(into + got, static_cast<size_t>(n), true);
        if (n > 0) {
            const size_t had = got + static_cast<size_t>(n);
            got = alignToFrame(into, had, length);
            m_dropped += had - got;
        } else if ((n < 0 && errno == EIO) || (n == 0 && (p.revents & POLLHUP))) {
            fail(gone + lineNotes());
        } else if (n == 0) {
            // The port said input was there, and someone else took it.
            ++m_vanished;
        } else if (errno != EAGAIN && errno != EINTR) {
            fail(std::string("cannot receive: ") + std::strerror(errno));
        }
    }
    return got;
}

void TDirectLink::drain(int quietMs)
{
    // A line that never goes quiet is not waited for beyond a time-out.
    const auto until = Clock::now() + std::chrono::milliseconds(quietMs + m_timeoutMs);
    std::array<uint8_t, 256> sink;
    while (Clock::now() < until) {
        pollfd p{m_line.Handle(), POLLIN, 0};
        const int ready = ::poll(&p, 1, quietMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || !(p.revents & POLLIN))
            break;
        const ssize_t n = ::read(m_line.Handle(), sink.data(), sink.size());
        if (n <= 0)
            break;
        if (m_observer)
            m_observer(sink.data(), static_cast<size_t>(n), true);
    }
    m_line.Purge(TSerialDevice::TPurge::Receive);
}

TIdentReply TDirectLink::identify()
{
    stopIfAsked();
    drain(0);
    const auto request = TRequestFrames::identify();
    send(request.data(), request.size());
    std::array<uint8_t, Frame::IdentifyReplySize> reply{};
    const size_t got = collect(reply.data(), reply.size(), deadline(request.size(), reply.size()));
    if (got == 0)
        fail("the controller does not answer (no reply to identify within " + std::to_string(m_timeoutMs) + " ms"
             + strayNote() + ")" + lineNotes());
    if (got > Frame::PosCommand && reply[Frame::PosCommand] != Frame::StatusAccepted)
        fail("the controller refused identification (status 0x" + THexText::of(reply[Frame::PosCommand], 2) + ")");
    if (got < reply.size())
        fail("incomplete identify reply (" + std::to_string(got) + " of " + std::to_string(reply.size()) + " bytes)"
             + lineNotes());
    if (TFrameChecksum::over(reply.data(), reply.size() - 1) != reply.back())
        fail("identify reply with a wrong checksum" + lineNotes());
    return TIdentReply(reply.data(), got);
}

std::string TDirectLink::blockReply(uint16_t address, Clock::time_point deadline, std::vector<uint8_t>& reply)
{
    TBlockCollector frame;
    for (;;) {
        std::array<uint8_t, TBlockCollector::ReplySize> bytes{};
        const size_t got = collect(bytes.data(), bytes.size(), deadline);
        frame.reset();
        frame.append(bytes.data(), got);
        if (got == 0)
            return "no reply within " + std::to_string(m_timeoutMs) + " ms" + strayNote();
        if (!frame.complete())
            return "incomplete reply (" + std::to_string(got) + " of 39 bytes)";
        if (!frame.checksumMatches())
            return "reply with a wrong checksum";
        // A repeated request whose first reply came late is answered twice;
        // the second answer arrives while the next block is asked for.
        if (frame.address() == m_lastAddress && frame.address() != address)
            continue;
        if (frame.address() != address) {
            const bool outside = frame.address() + TImage::BlockSize > TImage::Size;
            fail(block(address) + ": the reply carries address 0x" + THexText::of(frame.address(), 4)
                 + (outside ? ", outside the image" : ""));
        }
        reply.assign(frame.data(), frame.data() + TImage::BlockSize);
        m_lastAddress = address;
        return {};
    }
}

std::vector<uint8_t> TDirectLink::exchange(const std::vector<uint8_t>& request, uint16_t address)
{
    for (int attempt = 0;; ++attempt) {
        stopIfAsked();
        if (attempt > 0) {
            ++m_repeats;
            // Quiet for the time of a few bytes, or at least 20 ms, so that
            // the rest of a late reply is not taken for the start of this one.
            drain(std::max(20, 4 * m_byteMicros / 1000));
        } else {
            // Nothing received before a request belongs to its reply.
            drain(0);
        }
        send(request.data(), request.size());
        m_nextSent = true;
        std::vector<uint8_t> data;
        const std::string cause = blockReply(address, deadline(request.size(), TBlockCollector::ReplySize), data);
        if (cause.empty()) {
            m_nextSent = false;
            return data;
        }
        if (attempt == Repeats)
            fail(block(address) + ": " + cause + " (" + std::to_string(Repeats + 1) + " tries)" + lineNotes());
    }
}

void TDirectLink::read(TImage& image, const Progress& progress)
{
    m_done = 0;
    m_nextSent = false;
    for (int b = 0; b < Blocks; ++b) {
        const auto address = static_cast<uint16_t>(b * TImage::BlockSize);
        const auto request = TRequestFrames::read(address);
        const std::vector<uint8_t> data = exchange({request.begin(), request.end()}, address);
        image.blockIn(address, data.data());
        m_done = b + 1;
        if (progress)
            progress(b + 1);
    }
}

std::vector<uint16_t> TDirectLink::write(const TImage& image, const Progress& progress)
{
    std::vector<uint16_t> differing;
    m_done = 0;
    m_nextSent = false;
    for (int b = 0; b < Blocks; ++b) {
        const auto address = static_cast<uint16_t>(b * TImage::BlockSize);
        std::array<uint8_t, TImage::BlockSize> data;
        image.blockOut(address, data.data());
        const auto request = TRequestFrames::write(address, data.data());
        const std::vector<uint8_t> echo = exchange({request.begin(), request.end()}, address);
        m_done = b + 1;
        if (!std::equal(data.begin(), data.end(), echo.begin()))
            differing.push_back(address);
        if (progress)
            progress(b + 1);
    }
    return differing;
}
