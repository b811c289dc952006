#include "link/TFrameLine.h"

#include "link/THexText.h"

std::string TFrameLine::format(int port, const uint8_t* bytes, size_t count, Direction direction)
{
    return format("COM" + std::to_string(port), bytes, count, direction);
}

std::string TFrameLine::format(const std::string& port, const uint8_t* bytes, size_t count, Direction direction)
{
    // Both labels are equally long, hence the two blanks after "Read".
    std::string line = port + (direction == Direction::Received ? " Read  :" : " Write :");
    line.reserve(line.size() + 5 * count);
    for (size_t i = 0; i < count; ++i)
        line += " 0x" + THexText::of(bytes[i], 2);
    return line;
}
