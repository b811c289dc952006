#include "tools/kt7tool/TDirectLink.h"

#include "link/THexText.h"
#include "serial/TLineSettings.h"
#include "tools/kt7tool/TStopSignal.h"
#include "tools/kt7tool/TToolError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

TDirectLink::TDirectLink(std::string device, unsigned baud, int timeoutMs)
    : m_device(std::move(device)), m_timeoutMs(timeoutMs), m_engine(TLinkPolicy::checked(timeoutMs, baud))
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

std::string TDirectLink::lineNotes() const
{
    if (m_vanished == 0)
        return {};
    return "; input the port announced was gone when read: another program may be reading the port";
}

void TDirectLink::observe(const uint8_t* bytes, size_t count, bool received) const
{
    if (m_observer)
        m_observer(bytes, count, received);
}

void TDirectLink::send(const uint8_t* bytes, size_t count)
{
    observe(bytes, count, false);
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

TLinkEngine::Step TDirectLink::receive(Clock::time_point deadline, TImage& image)
{
    const char* const gone = "the line went away (the device was closed or unplugged)";
    std::array<uint8_t, Frame::BlockFrameSize> bytes;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return m_engine.timeOut();
        pollfd p{m_line.Handle(), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            fail(std::string("poll: ") + std::strerror(errno));
        if (ready == 0)
            return m_engine.timeOut();
        if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(p.revents & POLLIN))
            fail(gone + lineNotes());
        // No more than the reply still needs: what follows it stays in the
        // port, to be cleared before the next request.
        const size_t wanted = std::min(bytes.size(), m_engine.replyBytesMissing());
        const ssize_t n = ::read(m_line.Handle(), bytes.data(), wanted);
        if (n > 0) {
            observe(bytes.data(), static_cast<size_t>(n), true);
            TLinkEngine::Step step = m_engine.take(bytes.data(), static_cast<size_t>(n), image);
            if (step.outcome != TLinkEngine::Outcome::Waiting)
                return step;
        } else if ((n < 0 && errno == EIO) || (n == 0 && (p.revents & POLLHUP))) {
            fail(gone + lineNotes());
        } else if (n == 0) {
            // The port said input was there, and someone else took it.
            ++m_vanished;
        } else if (errno != EAGAIN && errno != EINTR) {
            fail(std::string("cannot receive: ") + std::strerror(errno));
        }
    }
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
        observe(sink.data(), static_cast<size_t>(n), true);
    }
    m_line.Purge(TSerialDevice::TPurge::Receive);
}

TLinkEngine::Step TDirectLink::run(std::vector<uint8_t> request, TImage& image, const Progress& progress,
                                   std::vector<uint16_t>* differing)
{
    using Outcome = TLinkEngine::Outcome;
    for (;;) {
        stopIfAsked();
        if (m_engine.clearsInput())
            drain(m_engine.quietMs());
        send(request.data(), request.size());
        m_engine.sent();
        const TLinkEngine::Step step = receive(Clock::now() + *m_engine.replyWait(), image);
        switch (step.outcome) {
        case Outcome::NextBlock:
        case Outcome::Complete:
            if (step.echoDiffers && differing)
                differing->push_back(step.address);
            if (progress)
                progress(m_engine.blocksDone());
            if (step.outcome == Outcome::Complete)
                return step;
            request = step.request;
            break;
        case Outcome::Again: request = step.request; break;
        case Outcome::Failed: fail(step.failure + (step.lineMayExplain ? lineNotes() : std::string()));
        default: return step;
        }
    }
}

TIdentReply TDirectLink::identify()
{
    TImage none;
    const TLinkEngine::Step step = run(m_engine.start(TLinkEngine::Job::Identify, none), none, {}, nullptr);
    if (!step.ident->accepted())
        fail("the controller refused identification (status 0x" + THexText::of(step.ident->status(), 2) + ")");
    return *step.ident;
}

void TDirectLink::read(TImage& image, const Progress& progress)
{
    run(m_engine.start(TLinkEngine::Job::Read, image), image, progress, nullptr);
}

std::vector<uint16_t> TDirectLink::write(const TImage& image, const Progress& progress)
{
    std::vector<uint16_t> differing;
    TImage unchanged = image;
    run(m_engine.start(TLinkEngine::Job::Write, image), unchanged, progress, &differing);
    return differing;
}
