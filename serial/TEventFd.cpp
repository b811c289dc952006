#include "serial/TEventFd.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>

TEventFd::TEventFd() : FFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (FFd < 0)
        throw Failure{errno};
}

TEventFd::~TEventFd()
{
    ::close(FFd);
}

void TEventFd::Signal()
{
    const uint64_t one = 1;
    // Fails only when the counter is saturated, which still leaves it readable.
    [[maybe_unused]] ssize_t n = ::write(FFd, &one, sizeof one);
}

void TEventFd::Clear()
{
    uint64_t value;
    [[maybe_unused]] ssize_t n = ::read(FFd, &value, sizeof value);
}
