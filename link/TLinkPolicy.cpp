#include "link/TLinkPolicy.h"

#include <algorithm>

TLinkPolicy TLinkPolicy::trusting()
{
    return TLinkPolicy();
}

TLinkPolicy TLinkPolicy::checked(int timeoutMs, unsigned baud)
{
    TLinkPolicy p;
    p.collect = Collect::FromReplyStart;
    p.surplus = Surplus::InputClearedBeforeRequest;
    p.addresses = Addresses::ExactlyAsked;
    p.checksum = Checksum::AskAgain;
    p.repeats = 2;
    p.timeoutMs = timeoutMs;
    p.quietBeforeRepeat = true;
    p.baud = baud;
    return p;
}

long TLinkPolicy::byteMicros() const
{
    // Ten bits a byte: start, eight data bits, stop.
    return static_cast<long>(10'000'000 / std::max(baud, 1u));
}

std::optional<std::chrono::microseconds> TLinkPolicy::replyWait(size_t requestSize, size_t replySize) const
{
    if (!timeOuts())
        return std::nullopt;
    // The time-out is the controller's turn-around: the request still has to
    // leave the port (a write returns once the driver holds it) and the reply
    // needs its own line time, which a short time-out must not eat into.
    return std::chrono::milliseconds(timeoutMs)
        + std::chrono::microseconds(byteMicros() * static_cast<long>(requestSize + replySize));
}

int TLinkPolicy::quietMs() const
{
    if (!quietBeforeRepeat)
        return 0;
    return static_cast<int>(std::max(20L, 4 * byteMicros() / 1000));
}
