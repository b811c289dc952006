#pragma once
// One traffic-log line for a frame sent to or received from the controller,
// e.g. "COM1 Write : 0x00 0x01 0x04 0x55 0x74".

#include <cstddef>
#include <cstdint>
#include <string>

class TFrameLine {
public:
    enum class Direction { Received, Sent };

    static std::string format(int port, const uint8_t* bytes, size_t count, Direction direction);
    // The same for a port named otherwise (a device path).
    static std::string format(const std::string& port, const uint8_t* bytes, size_t count, Direction direction);
};
