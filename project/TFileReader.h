#pragma once
// Reads the start of a file into memory.

#include "project/TFileResult.h"

#include <cstddef>
#include <string>

class TFileReader {
public:
    // Reads up to limit bytes from the start of the file into out. On failure
    // out is left unchanged; code() tells a missing file (ENOENT) apart.
    // Anything but a regular file (a FIFO, a device, a folder) fails at once.
    static TFileResult read(const std::string& path, size_t limit, std::string& out);
};
