#pragma once
// The rules by which a transfer engine talks to the controller, in one place:
// how a reply is collected, what becomes of bytes beyond it, which addresses
// a block reply may carry, what a wrong reply checksum means, how often a
// block is asked for again and how long a reply is waited for. Two sets are
// in use: the trusting one, which takes the line as the controller's
// protocol describes it and serves the window's scan for a controller, and
// the checked one, which checks every reply and asks again and serves every
// transfer of the image, in the window and in kt7tool.

#include <chrono>
#include <cstddef>
#include <optional>

class TLinkPolicy {
public:
    enum class Collect {
        ByLength,       // from the first byte after the request, until the reply's length is there
        FromReplyStart, // from where a reply starts (00 01 and its length byte); bytes before are dropped
    };
    enum class Surplus {
        DroppedBeyondReply,       // the rest of the batch that completes a reply is dropped
        InputClearedBeforeRequest // whatever has arrived is dropped before every request
    };
    enum class Addresses {
        InsideImage, // any block address whose 32 bytes lie inside the image; the transfer goes on from it
        // Only the address asked for: a late second reply to the block
        // before is dropped, any other is no reply and the block is asked
        // for again.
        ExactlyAsked
    };
    enum class Checksum {
        Counted, // a wrong reply checksum is noted and counted, the reply is used
        AskAgain // a reply with a wrong checksum is no reply: the block is asked for again
    };

    Collect collect = Collect::ByLength;
    Surplus surplus = Surplus::DroppedBeyondReply;
    Addresses addresses = Addresses::InsideImage;
    Checksum checksum = Checksum::Counted;
    // How often a block whose reply failed is asked for again.
    int repeats = 0;
    // The controller's turn-around for a reply; below 0 a reply is waited
    // for until the caller gives up, and an identify reply that stops short
    // is taken as far as it came.
    int timeoutMs = -1;
    // Whether a repeat waits until the line has gone quiet, so that the rest
    // of a late reply is not taken for the start of the next one.
    bool quietBeforeRepeat = false;
    unsigned baud = 9600;

    // The controller's turn-around both front ends allow a reply by default,
    // and the line's default speed.
    static constexpr int DefaultTimeoutMs = 500;
    static constexpr unsigned DefaultBaud = 9600;

    // Collected by length, surplus dropped, any address inside the image
    // trusted, checksums counted, no repeats, no time-outs.
    static TLinkPolicy trusting();
    // Replies taken from their start, the input cleared before every
    // request, only the address asked for, a wrong checksum and another
    // address asked for again as silence is, two repeats after a quiet line,
    // and a time-out on top of the line time of request and reply.
    static TLinkPolicy checked(int timeoutMs, unsigned baud);

    bool timeOuts() const { return timeoutMs >= 0; }
    // How long after a request of requestSize bytes has been handed to the
    // line its reply of replySize bytes is waited for; none without time-outs.
    std::optional<std::chrono::microseconds> replyWait(size_t requestSize, size_t replySize) const;
    // How long the line has to be quiet before a repeat goes out: the time of
    // a few bytes, or at least 20 ms; 0 when a repeat does not wait.
    int quietMs() const;

private:
    long byteMicros() const;
};
