#pragma once
// A whole-image read or write in 32-byte blocks, stop and wait: every block
// reply is stored (read) or compared with the image (write), and names the
// request to send next. The reply's address is trusted as long as its 32 bytes
// lie inside the image; any other address ends the transfer, because going on
// from it would wrap the 16-bit address and could repeat the image forever.
// A read keeps its blocks apart and changes the image only when the last one
// has arrived, all at once: a read that does not complete leaves the image as
// it was. A write sends the image as it was when the write began, so an
// edit made while it runs never reaches the controller half-way.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "image/TImage.h"
#include "link/TBlockCollector.h"

class TImageTransfer {
public:
    enum class Kind { Read, Write };
    enum class Outcome {
        Waiting,        // the block reply is not complete yet
        NextBlock,      // send request, then wait for its reply
        Complete,       // the last block has been handled
        AddressOutside, // the reply's address does not lie inside the image; transfer ended
    };

    struct Step {
        Outcome outcome = Outcome::Waiting;
        std::vector<std::string> notes; // traffic-log notes, in order
        uint16_t address = 0;           // address the completed reply carried
        bool echoDiffers = false;       // write: the echo is not what was written
        bool checksumMismatch = false;  // byte 38 is not the CRC of bytes 0..37
        std::vector<uint8_t> request;   // with NextBlock
    };

    // Begins a transfer at block 0 and returns its first request.
    std::vector<uint8_t> start(Kind kind, const TImage& image);
    // Ends the transfer; blocks a read has received are dropped.
    void stop();

    // Handles one batch of received bytes. Without an active transfer the
    // batch is ignored and the step is Waiting without notes.
    Step take(const uint8_t* batch, size_t count, TImage& image);

    bool active() const { return m_active; }
    Kind kind() const { return m_kind; }
    // Bytes of the reply to the outstanding request that have not arrived
    // yet; 0 without an active transfer.
    size_t replyBytesMissing() const;
    int checksumMismatches() const { return m_checksumMismatches; }

private:
    struct Block {
        uint16_t address;
        std::array<uint8_t, Frame::BlockDataSize> data;
    };

    std::vector<uint8_t> requestFor(uint16_t address) const;

    Kind m_kind = Kind::Read;
    bool m_active = false;
    int m_checksumMismatches = 0;
    TBlockCollector m_collector;
    std::vector<Block> m_received; // a read's blocks, in order of arrival
    TImage::Bytes m_written{};     // what a write sends and expects echoed
};
