#pragma once

#include <mutex>

// A short-held lock; usable with std::lock_guard.
class TCriticalSection {
public:
    void lock() { FMutex.lock(); }
    void unlock() { FMutex.unlock(); }

private:
    std::mutex FMutex;
};
