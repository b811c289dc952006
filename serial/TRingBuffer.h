#pragma once

#include "serial/TCriticalSection.h"

#include <atomic>
#include <cstdint>
#include <memory>

class TEvent;

// A byte ring with one producer and one consumer. The lock guards only the
// start index and the used count; bytes are copied outside it, the producer
// touching only the free room and the consumer only the used bytes.
// A flush starts a new epoch: a run taken before it is dropped when it is
// committed or consumed afterwards, so a transfer in flight during a flush
// can neither resurrect stale bytes nor eat bytes queued after the flush.
class TRingBuffer {
public:
    struct TRun {
        uint8_t* Data;
        uint32_t Length;
        uint32_t Epoch;
    };

    void Allocate(uint32_t size);
    void Release();

    uint32_t Used() const { return FUsed.load(std::memory_order_relaxed); }
    uint32_t Free();

    // Producer: copies as much of `src` as fits, in at most two pieces.
    uint32_t Put(const uint8_t* src, uint32_t len);
    // Producer: the contiguous room after the last byte, then its publication.
    TRun FreeRun();
    void Commit(const TRun& run, uint32_t count);

    // Consumer: copies up to `len` bytes out, in at most two pieces.
    uint32_t Take(uint8_t* dst, uint32_t len);
    // Consumer: the contiguous used bytes from the start, then their release.
    TRun UsedRun();
    void Consume(const TRun& run, uint32_t count);

    // Empties the ring; `alsoReset` is reset under the same lock.
    void Clear(TEvent* alsoReset = nullptr);
    // Resets `event` if the ring is empty, under the lock; true if it was.
    bool ResetIfEmpty(TEvent& event);

private:
    void Publish(uint32_t epoch, uint32_t added);
    void Release(uint32_t epoch, uint32_t taken);

    TCriticalSection FLock;
    std::unique_ptr<uint8_t[]> FStorage;
    uint32_t FSize = 0;
    uint32_t FStart = 0;
    uint32_t FEpoch = 0;
    std::atomic<uint32_t> FUsed{0};
};
