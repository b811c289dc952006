#pragma once
// The simulated KT7-CU: a 2048-byte memory that answers identify, read block
// and write block requests. It takes the bytes sent to the controller as they
// come (in any pieces, with noise in between) and returns the reply bytes as
// chunks; whoever drives it decides how fast and with which pauses they go out.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TSimController {
public:
    static constexpr size_t MemorySize = 2048;
    using Memory = std::array<uint8_t, MemorySize>;
    using Chunk = std::vector<uint8_t>;

    struct Redirect {
        uint16_t from;  // address requested
        uint16_t to;    // address the reply carries instead
        int times = -1; // how many of its replies; every one below 0
    };

    struct Faults {
        bool refuseIdentify = false;
        std::vector<size_t> split; // sizes of the first chunks of each reply; the rest is one more
        std::vector<Redirect> wrongAddress;
        int corruptEchoBlock = -1; // block number (address / 32) whose write echo gets one byte changed
        int dropWriteBlock = -1;   // block number whose writes are echoed as sent but not stored
        int badChecksumBlock = -1; // block number whose first replies carry a wrong checksum
        int badChecksumTimes = 1;  // how many of its replies
        int silentAfter = -1;      // block replies sent before the controller falls silent
        int closeAfter = -1;       // block replies sent before the line is closed
        size_t garbage = 0;        // noise bytes sent ahead of the first block reply
        size_t surplus = 0;        // noise bytes sent after every reply
        bool surplusApart = false; // the surplus as a piece of its own, a gap after the reply
        int lateBlock = -1;        // block number whose first reply is held back
        int lateMs = 0;            // for so long
        int identifyBytes = -1;    // bytes of the identify reply sent; -1: all
        int cutReplyBlock = -1;    // block number whose replies stop short
        int cutReplyBytes = 0;     // after so many bytes
    };

    static constexpr uint8_t StatusRefused = 0xEE;
    static constexpr char DefaultSerial[] = "KT7S010203";

    // serial: 10 characters, shown by the tool as S/N-xxxx (xx.xx.xx).
    explicit TSimController(std::string serial = DefaultSerial);
    TSimController(std::string serial, Faults faults);

    std::vector<Chunk> consume(const uint8_t* bytes, size_t count);

    Memory& memory() { return m_memory; }
    const Memory& memory() const { return m_memory; }
    int blockReplies() const { return m_blockReplies; }
    bool lineClosed() const { return m_lineClosed; }
    // How long the replies of the last consume() are to be held back beyond
    // the usual turn-around; asking clears it.
    int takeHoldMs() { return std::exchange(m_holdMs, 0); }

private:
    // Length of a complete request at the start of the input, 0 if more bytes
    // are needed, -1 if the first byte cannot begin a valid request.
    int requestAtFront() const;
    Chunk answer(const uint8_t* request);
    Chunk identifyReply() const;
    Chunk blockReply(uint8_t command, uint16_t address);
    void queue(Chunk reply, std::vector<Chunk>& out);

    std::string m_serial;
    Faults m_faults;
    Memory m_memory{};
    std::vector<uint8_t> m_input;
    int m_blockReplies = 0;
    bool m_garbageSent = false;
    int m_badChecksumsSent = 0;
    bool m_lateSent = false;
    int m_holdMs = 0;
    bool m_lineClosed = false;
};
