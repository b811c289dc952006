#pragma once
// The controller's line driven directly: each request is written whole, its
// reply collected by its length with poll() and a per-reply time-out, and
// a block reply is accepted only when its checksum (byte 38) is right and it
// carries the address asked for. A block whose reply is late or damaged is
// asked for again, at most twice; then the transfer stops with an error that
// names the block. Errors are TToolError with a one-line message naming the
// device.

#include "image/TImage.h"
#include "link/TIdentReply.h"
#include "serial/TSerialDevice.h"

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
    // what was sent. blocksWritten() tells how far a failed write came.
    std::vector<uint16_t> write(const TImage& image, const Progress& progress);
    int blocksWritten() const { return m_written; }
    // Replies that had to be asked for again.
    int repeats() const { return m_repeats; }

private:
    // Sends the request and collects the block reply for address; returns the
    // 32 data bytes.
    std::vector<uint8_t> exchange(const std::vector<uint8_t>& request, uint16_t address);
    void send(const uint8_t* bytes, size_t count);
    // Collects up to count bytes, waiting at most the time-out; returns how many came.
    size_t collect(uint8_t* into, size_t count);
    // Drops whatever is still arriving, so that a repeat starts on a quiet line.
    void settle();
    [[noreturn]] void fail(const std::string& cause) const;

    std::string m_device;
    int m_timeoutMs;
    int m_byteMicros;
    TSerialDevice m_line;
    int m_written = 0;
    int m_repeats = 0;
};
