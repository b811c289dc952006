#include "tools/kt7tool/TToolOutput.h"

#include "tools/kt7tool/TToolError.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

void TToolOutput::write(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw TToolError(std::string("standard output: ") + std::strerror(errno));
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
}
