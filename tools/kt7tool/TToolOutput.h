#pragma once
// Standard output of kt7tool, written with checked calls: output that does
// not arrive whole (a full disk, a pipe whose reader has gone) is an I/O
// error, never a quiet success.

#include <string_view>

class TToolOutput {
public:
    // Writes all of text; throws TToolError naming standard output and the cause.
    static void write(std::string_view text);
};
