#pragma once
// The controller's line driven directly: the device loop around a
// TLinkEngine with kt7tool's policy. It opens the port, clears the input and
// waits for a quiet line when the engine says so, writes each request whole,
// and hands what poll() and read() bring to the engine until the reply is
// whole or the engine's wait has passed. A stop signal (TStopSignal) ends a
// transfer between two exchanges. Errors are TToolError with a one-line
// message naming the device.

#include "image/TImage.h"
#include "link/TIdentReply.h"
#include "link/TLinkEngine.h"
#include "serial/TSerialDevice.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TDirectLink {
public:
    // blocks done so far, of TImage::Blocks
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
    int blocksDone() const { return m_engine.blocksDone(); }
    // The request for the block after those went out whole, but no reply to
    // it was taken: the controller may hold that block too.
    bool nextRequestSent() const { return m_engine.requestUnanswered(); }
    // What a read that failed took, from block 0 on: how many blocks.
    int readSoFar(TImage& image) const { return m_engine.readSoFar(image); }
    // Replies that had to be asked for again.
    int repeats() const { return m_engine.repeats(); }

    // Told of every request as it is sent and of every piece of input as it
    // is read, replies and dropped bytes alike: a traffic log of the line.
    using FrameObserver = std::function<void(const uint8_t* bytes, size_t count, bool received)>;
    void setFrameObserver(FrameObserver observer) { m_observer = std::move(observer); }

private:
    using Clock = std::chrono::steady_clock;

    // Runs the engine's job from its first request to its end; returns the
    // step that ended it.
    TLinkEngine::Step run(std::vector<uint8_t> request, TImage& image, const Progress& progress,
                          std::vector<uint16_t>* differing);
    // Hands what arrives to the engine until it has a step other than
    // Waiting, or the deadline has passed.
    TLinkEngine::Step receive(Clock::time_point deadline, TImage& image);
    void send(const uint8_t* bytes, size_t count);
    // Drops what has arrived, once the line has been quiet for quietMs (or
    // a time-out more has passed).
    void drain(int quietMs);
    void observe(const uint8_t* bytes, size_t count, bool received) const;
    void stopIfAsked() const;
    // What was seen on the line besides replies, for a failure message:
    // input taken by someone else.
    std::string lineNotes() const;
    [[noreturn]] void fail(const std::string& cause, int status = 2) const;

    std::string m_device;
    int m_timeoutMs;
    TSerialDevice m_line;
    TLinkEngine m_engine;
    FrameObserver m_observer;
    int m_vanished = 0; // input announced by the port but gone when read
};
