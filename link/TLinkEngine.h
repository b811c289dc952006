#pragma once
// The link to the controller as a step function, free of any device: it
// identifies the controller and reads or writes the whole image in 32-byte
// blocks, stop and wait. A driver feeds it the bytes received, asks it what
// to send, whether to clear the input first and how long to wait for the
// reply, and tells it when that wait has passed; a TLinkPolicy says how
// replies are collected and judged.
//
// A read keeps its blocks apart and changes the image only when the last one
// has arrived, all at once: a read that does not complete leaves the image as
// it was. A write sends the image as it was when the write began, so an edit
// made while it runs never reaches the controller half-way. A reply address
// from which the next block would leave the image ends the transfer, because
// going on from it would wrap the 16-bit address and could repeat the image
// forever.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/TImage.h"
#include "link/FrameLayout.h"
#include "link/TIdentReply.h"
#include "link/TLinkPolicy.h"

class TLinkEngine {
public:
    enum class Job { Identify, Read, Write };
    enum class Outcome {
        Waiting,        // the reply is not complete yet
        NextBlock,      // send request, then wait for its reply
        Again,          // the reply failed: send request again
        Complete,       // the last block has been handled
        Identified,     // the identify reply is there as far as it goes (ident), accepted or not
        AddressOutside, // the reply's address does not lie inside the image; transfer ended
        Failed,         // the exchange ended without a usable reply; failure says why
    };

    // Why the reply to a block request failed.
    enum class Cause { None, NoReply, BlockBefore, Incomplete, Checksum, WrongAddress };

    struct Step {
        Outcome outcome = Outcome::Waiting;
        std::vector<std::string> notes; // traffic-log notes, in order
        uint16_t address = 0;           // address the completed reply carried
        bool echoDiffers = false;       // write: the echo is not what was written
        bool checksumMismatch = false;  // byte 38 is not the CRC of bytes 0..37 (counted, not repeated)
        std::vector<uint8_t> request;   // with NextBlock and Again
        std::optional<TIdentReply> ident;
        std::string failure;         // with Failed: one line, naming the block
        bool lineMayExplain = false; // with Failed: bytes taken by another reader would explain it
        // With Failed of a block request: why its last reply failed, the
        // block asked for and how often, and how much of the reply came.
        Cause cause = Cause::None;
        uint16_t block = 0;
        int tries = 0;
        size_t received = 0;
    };

    explicit TLinkEngine(TLinkPolicy policy = TLinkPolicy::trusting());

    // Begins a job and returns its first request (for a transfer, block 0).
    std::vector<uint8_t> start(Job job, const TImage& image);
    // Ends the job. The image a read fills is left as it was; the blocks it
    // received are kept apart until the next job begins.
    void stop();
    // The blocks a read has received from block 0 on, without a gap, copied
    // into image; returns how many.
    int readSoFar(TImage& image) const;

    // Handles one batch of received bytes. Without an active job the batch
    // is ignored and the step is Waiting without notes.
    Step take(const uint8_t* batch, size_t count, TImage& image);
    // The wait for the reply has passed (the policy's time-out, or the
    // window's scan tick for an identify reply).
    Step timeOut();
    // The request last returned went out whole.
    void sent() { m_unanswered = true; }

    // Before the request last returned goes out: whether the input is
    // dropped first, and after how long a quiet line.
    bool clearsInput() const;
    int quietMs() const { return m_attempt > 0 ? m_policy.quietMs() : 0; }
    // How long its reply is waited for once it has gone out; none when the
    // policy has no time-outs.
    std::optional<std::chrono::microseconds> replyWait() const;

    const TLinkPolicy& policy() const { return m_policy; }
    bool active() const { return m_active; }
    Job job() const { return m_job; }
    // A read or write is under way.
    bool transferring() const { return m_active && m_job != Job::Identify; }
    // Bytes of the reply to the outstanding request that have not arrived
    // yet; 0 without an active job.
    size_t replyBytesMissing() const;
    size_t replyBytesReceived() const { return m_active ? m_reply.size() : 0; }
    int checksumMismatches() const { return m_checksumMismatches; }
    // Blocks of the transfer whose reply was taken; for a write, the blocks
    // the controller has confirmed.
    int blocksDone() const { return m_blocksDone; }
    // The request for the block after those went out whole, but no reply to
    // it was taken: the controller may hold that block too.
    bool requestUnanswered() const { return m_unanswered; }
    // The block whose reply is waited for.
    uint16_t blockAsked() const { return m_asked; }
    // Replies asked for again, over every job of this engine.
    int repeats() const { return m_repeats; }

private:
    struct Block {
        uint16_t address;
        std::array<uint8_t, Frame::BlockDataSize> data;
    };

    std::vector<uint8_t> requestFor(uint16_t address);
    size_t replySize() const;
    // Adds the batch to the reply as the policy collects; true once whole.
    bool collect(const uint8_t* batch, size_t count);
    Step takeIdentify();
    Step takeBlock(Step step, TImage& image);
    Step identified(Step step);
    Step failed(Step step, std::string failure, bool lineMayExplain);
    // The reply to the outstanding block request failed: ask again, or give
    // up when the policy's repeats are used up.
    Step attemptFailed(Step step, Cause cause, const std::string& text);
    std::string strayNote() const;

    TLinkPolicy m_policy;
    Job m_job = Job::Read;
    bool m_active = false;
    int m_checksumMismatches = 0;
    int m_blocksDone = 0;
    bool m_unanswered = false;
    int m_repeats = 0;
    int m_attempt = 0;            // tries of the outstanding request before this one
    bool m_first = true;          // the outstanding request is the job's first
    uint16_t m_asked = 0;         // address of the outstanding block request
    int m_lastAddress = -1;       // of the last block reply taken, over jobs
    size_t m_dropped = 0;         // bytes before a reply's start, since the reply was waited for
    int m_staleReplies = 0;       // late replies to the block before, since the reply was waited for
    std::vector<uint8_t> m_reply; // the reply as far as it has come
    std::vector<uint8_t> m_request;
    std::vector<Block> m_received; // a read's blocks, in order of arrival
    TImage::Bytes m_written{};     // what a write sends and expects echoed
};
