#include "tools/kt7tool/TDirectLink.h"

#include "link/FrameLayout.h"
#include "link/TBlockCollector.h"
#include "link/THexText.h"
#include "link/TRequestFrames.h"
#include "serial/TLineSettings.h"
#include "tools/kt7tool/TToolError.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

std::string block(uint16_t address)
{
    return "block 0x" + THexText::of(address, 4);
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
    m_line.Purge(TSerialDevice::TPurge::Receive);
}

void TDirectLink::fail(const std::string& cause) const
{
    throw TToolError(m_device + ": " + cause);
}

void TDirectLink::send(const uint8_t* bytes, size_t count)
{
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
            if (::poll(&p, 1, m_timeoutMs) > 0)
                continue;
            fail("the line does not take the request");
        }
        fail(std::string("cannot send: ") + std::strerror(n < 0 ? errno : EIO));
    }
}

size_t TDirectLink::collect(uint8_t* into, size_t count)
{
    size_t got = 0;
    // The time-out runs from the end of the request: the reply needs its
    // own line time on top, which a short time-out must not eat into.
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs)
        + std::chrono::microseconds(static_cast<long>(m_byteMicros) * static_cast<long>(count));
    while (got < count) {
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
            fail("the line went away (the device was closed or unplugged)");
        const ssize_t n = ::read(m_line.Handle(), into + got, count - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
        } else if (n == 0 || errno == EIO) {
            fail("the line went away (the device was closed or unplugged)");
        } else if (errno != EAGAIN && errno != EINTR) {
            fail(std::string("cannot receive: ") + std::strerror(errno));
        }
    }
    return got;
}

void TDirectLink::settle()
{
    // Quiet for the time of a few bytes, or at least 20 ms.
    const int quietMs = std::max(20, 4 * m_byteMicros / 1000);
    std::array<uint8_t, 256> sink;
    for (;;) {
        pollfd p{m_line.Handle(), POLLIN, 0};
        const int ready = ::poll(&p, 1, quietMs);
        if (ready <= 0 || !(p.revents & POLLIN))
            break;
        if (::read(m_line.Handle(), sink.data(), sink.size()) <= 0)
            break;
    }
    m_line.Purge(TSerialDevice::TPurge::Receive);
}

TIdentReply TDirectLink::identify()
{
    const auto request = TRequestFrames::identify();
    send(request.data(), request.size());
    std::array<uint8_t, Frame::IdentifyReplySize> reply{};
    const size_t got = collect(reply.data(), reply.size());
    if (got == 0)
        fail("the controller does not answer (no reply to identify within " + std::to_string(m_timeoutMs) + " ms)");
    if (got > Frame::PosCommand && reply[Frame::PosCommand] != Frame::StatusAccepted)
        fail("the controller refused identification (status 0x" + THexText::of(reply[Frame::PosCommand], 2) + ")");
    if (got < Frame::PosSerial + Frame::SerialSize)
        fail("incomplete identify reply (" + std::to_string(got) + " bytes)");
    return TIdentReply(reply.data(), got);
}

std::vector<uint8_t> TDirectLink::exchange(const std::vector<uint8_t>& request, uint16_t address)
{
    for (int attempt = 0;; ++attempt) {
        if (attempt > 0) {
            ++m_repeats;
            settle();
        }
        send(request.data(), request.size());
        TBlockCollector reply;
        std::array<uint8_t, TBlockCollector::ReplySize> bytes{};
        const size_t got = collect(bytes.data(), bytes.size());
        reply.append(bytes.data(), got);
        std::string cause;
        if (got == 0)
            cause = "no reply within " + std::to_string(m_timeoutMs) + " ms";
        else if (!reply.complete())
            cause = "incomplete reply (" + std::to_string(got) + " of 39 bytes)";
        else if (!reply.checksumMatches())
            cause = "reply with a wrong checksum";
        if (cause.empty()) {
            if (reply.address() != address) {
                const bool outside = reply.address() + TImage::BlockSize > TImage::Size;
                fail(block(address) + ": the reply carries address 0x" + THexText::of(reply.address(), 4)
                     + (outside ? ", outside the image" : ""));
            }
            return {reply.data(), reply.data() + TImage::BlockSize};
        }
        if (attempt == Repeats)
            fail(block(address) + ": " + cause + " (" + std::to_string(Repeats + 1) + " tries)");
    }
}

void TDirectLink::read(TImage& image, const Progress& progress)
{
    for (int b = 0; b < Blocks; ++b) {
        const auto address = static_cast<uint16_t>(b * TImage::BlockSize);
        const auto request = TRequestFrames::read(address);
        const std::vector<uint8_t> data = exchange({request.begin(), request.end()}, address);
        image.blockIn(address, data.data());
        if (progress)
            progress(b + 1);
    }
}

std::vector<uint16_t> TDirectLink::write(const TImage& image, const Progress& progress)
{
    std::vector<uint16_t> differing;
    m_written = 0;
    for (int b = 0; b < Blocks; ++b) {
        const auto address = static_cast<uint16_t>(b * TImage::BlockSize);
        std::array<uint8_t, TImage::BlockSize> data;
        image.blockOut(address, data.data());
        const auto request = TRequestFrames::write(address, data.data());
        const std::vector<uint8_t> echo = exchange({request.begin(), request.end()}, address);
        m_written = b + 1;
        if (!std::equal(data.begin(), data.end(), echo.begin()))
            differing.push_back(address);
        if (progress)
            progress(b + 1);
    }
    return differing;
}
