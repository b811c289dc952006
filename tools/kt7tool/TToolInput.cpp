#include "tools/kt7tool/TToolInput.h"

#include "tools/kt7tool/TToolError.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

std::string TToolInput::readAll(size_t limit)
{
    std::string bytes;
    char chunk[4096];
    while (bytes.size() <= limit) {
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw TToolError(std::string("standard input: ") + std::strerror(errno));
        }
        bytes.append(chunk, static_cast<size_t>(n));
    }
    if (bytes.size() > limit + 1)
        bytes.resize(limit + 1);
    return bytes;
}
