#pragma once
// The controller's line driven directly, stop and wait: before each request
// the input is cleared (nothing received before a request belongs to its
// reply); each request is written whole, and its reply is collected from
// where a reply starts (00 01 and its length byte) with poll() and a
// deadline of the time-out plus the line time of request and reply. A block
// reply is accepted only when its checksum (byte 38) is right and it carries
// the address asked for; a late second reply to the block before is dropped.
// A block whose reply is late or damaged is asked for again, at most twice,
// once the line has gone quiet; then the transfer stops with an error that
// names the block. A stop signal (TStopSignal) ends a transfer between two
// exchanges. Errors are TToolError with a one-line message naming the device.

#include "image/TImage.h"
#include "link/TIdentReply.h"
#include "serial/TSerialDevice.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TDirectLink {
public:
    static constexpr int Blocks = TImage::Size / TImage::BlockSize;
    static constexpr int Repeats = 2;

    // blocks done so far, of Blocks
    using Progress = std::function<void(int done)>;

    TDirectLink(std::string device, unsigned baud, int timeoutMs);

    const std::string& device() const { return m_device; }

    // Throws when the controller does not answer or refuses.
    TIdentReply identify();
    void read(TImage& image, const Progress& progress);
    // Writes every block and returns the addresses whose echo differs from
    // what was sent.
    std::vector<uint16_t> write(const TImage& image, const Progress& progress);
    // Blocks of the last transfer whose reply was taken; for a write, the
    // blocks the controller has confirmed. Tells how far a failed one came.
    int blocksDone() const { return m_done; }
    // The request for the block after those went out whole, but no reply to
    // it was taken: the controller may hold that block too.
    bool nextRequestSent() const { return m_nextSent; }
    // Replies that had to be asked for again.
    int repeats() const { return m_repeats; }

    // Told of every request as it is sent and of every piece of input as it
    // is read, replies and dropped bytes alike: a traffic log of the line.
    using FrameObserver = std::function<void(const uint8_t* bytes, size_t count, bool received)>;
    void setFrameObserver(FrameObserver observer) { m_observer = std::move(observer); }

private:
    using Clock = std::chrono::steady_clock;

    // Sends the request and collects the block reply for address; returns the
    // 32 data bytes.
    std::vector<uint8_t> exchange(const std::vector<uint8_t>& request, uint16_t address);
    // Collects the reply to the block request for address until the
    // deadline; returns why there is none, or an empty text.
    std::string blockReply(uint16_t address, Clock::time_point deadline, std::vector<uint8_t>& reply);
    void send(const uint8_t* bytes, size_t count);
    // The end of the wait for a reply of replySize bytes to a request of
    // requestSize bytes that has just been written.
    Clock::time_point deadline(size_t requestSize, size_t replySize) const;
    // Collects up to size bytes of a reply that starts 00 01 (size - 1),
    // dropping bytes before such a start; returns how many came in time.
    size_t collect(uint8_t* into, size_t size, Clock::time_point deadline);
    // Drops what has arrived, once the line has been quiet for quietMs (or
    // a time-out more has passed).
    void drain(int quietMs);
    void stopIfAsked() const;
    // What was seen on the line besides replies, for a failure message:
    // bytes the last collect dropped, and input taken by someone else.
    std::string strayNote() const;
    std::string lineNotes() const;
    [[noreturn]] void fail(const std::string& cause, int status = 2) const;

    std::string m_device;
    int m_timeoutMs;
    int m_byteMicros;
    TSerialDevice m_line;
    int m_done = 0;
    bool m_nextSent = false;
    int m_repeats = 0;
    int m_lastAddress = -1; // of the last block reply taken
    size_t m_dropped = 0;   // bytes before a reply's start, in the last collect
    int m_vanished = 0;     // input announced by the port but gone when read
    FrameObserver m_observer;
};
