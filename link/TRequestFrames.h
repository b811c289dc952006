#pragma once
// The three requests the tool sends: identify, read block and write block.

#include <array>
#include <cstdint>

#include "link/FrameLayout.h"

class TRequestFrames {
public:
    using Identify = std::array<uint8_t, Frame::IdentifySize>;
    using Read = std::array<uint8_t, Frame::ReadRequestSize>;
    using Write = std::array<uint8_t, Frame::BlockFrameSize>;

    static Identify identify();
    static Read read(uint16_t address);
    // data: the 32 bytes to store at address.
    static Write write(uint16_t address, const uint8_t* data);
};
