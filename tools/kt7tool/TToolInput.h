#pragma once
// Standard input of kt7tool, where "-" stands for a file that is read.

#include <cstddef>
#include <string>

class TToolInput {
public:
    // Reads standard input to its end, but at most limit bytes and one more
    // (so that a larger input is known to be larger); throws TToolError
    // naming standard input and the cause.
    static std::string readAll(size_t limit);
};
