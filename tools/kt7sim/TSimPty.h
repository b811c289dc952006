#pragma once
// The simulator's end of a pseudo-terminal in raw mode, optionally published
// as the override link comN, with output paced like a serial line.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TSimPty {
public:
    using Clock = std::chrono::steady_clock;

    // baud 0: no pacing. Throws std::runtime_error when the terminal cannot be made.
    explicit TSimPty(unsigned baud);
    ~TSimPty();
    TSimPty(const TSimPty&) = delete;
    TSimPty& operator=(const TSimPty&) = delete;

    const std::string& deviceName() const { return m_slaveName; }
    int fd() const { return m_master; }

    // Points $XDG_CONFIG_HOME/kt7config/ports/comN at the device; removed again
    // by the destructor or by close().
    void publishAs(int com);

    // Takes what the tool has sent; returns an empty vector when nothing is waiting.
    std::vector<uint8_t> receive();
    // Sends the chunks one after another, gapMs apart; the first byte goes out
    // only once the request received before would have passed the line.
    void send(const std::vector<std::vector<uint8_t>>& chunks, int gapMs);
    // Waits (at most a second) until the tool has taken everything sent, so
    // that closing the line does not swallow the last reply.
    void drain();
    void close();

private:
    void writeAll(const uint8_t* bytes, size_t count);

    int m_master = -1;
    int m_slave = -1; // kept open so that the terminal survives the tool closing its port
    std::string m_slaveName;
    std::string m_linkPath;
    Clock::duration m_byteTime{};
    Clock::time_point m_inputEnds{};
    Clock::time_point m_outputEnds{};
};
