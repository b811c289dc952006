#include "serial/TRingBuffer.h"

#include "serial/TEvent.h"

#include <algorithm>
#include <cstring>
#include <mutex>

void TRingBuffer::Allocate(uint32_t size)
{
    std::lock_guard lock(FLock);
    FStorage = std::make_unique<uint8_t[]>(size);
    FSize = size;
    FStart = 0;
    FUsed.store(0);
    ++FEpoch;
}

void TRingBuffer::Release()
{
    std::lock_guard lock(FLock);
    FStorage.reset();
    FSize = 0;
    FStart = 0;
    FUsed.store(0);
    ++FEpoch;
}

uint32_t TRingBuffer::Free()
{
    std::lock_guard lock(FLock);
    return FSize - FUsed.load();
}

uint32_t TRingBuffer::Put(const uint8_t* src, uint32_t len)
{
    uint32_t start, used, epoch;
    {
        std::lock_guard lock(FLock);
        start = FStart;
        used = FUsed.load();
        epoch = FEpoch;
    }
    const uint32_t n = FSize;
    const uint32_t tail = start + used;
    uint32_t copied = 0;
    if (tail < n) {
        const uint32_t first = std::min(len, n - tail);
        std::memcpy(FStorage.get() + tail, src, first);
        copied = first;
        if (len > n - tail) {
            const uint32_t second = std::min(len - (n - tail), start);
            std::memcpy(FStorage.get(), src + first, second);
            copied += second;
        }
    } else {
        copied = std::min(len, start - (tail - n));
        std::memcpy(FStorage.get() + (tail - n), src, copied);
    }
    Publish(epoch, copied);
    return copied;
}

TRingBuffer::TRun TRingBuffer::FreeRun()
{
    std::lock_guard lock(FLock);
    const uint32_t tail = FStart + FUsed.load();
    if (tail < FSize)
        return {FStorage.get() + tail, FSize - tail, FEpoch};
    return {FStorage.get() + (tail - FSize), FStart - (tail - FSize), FEpoch};
}

void TRingBuffer::Commit(const TRun& run, uint32_t count)
{
    Publish(run.Epoch, count);
}

uint32_t TRingBuffer::Take(uint8_t* dst, uint32_t len)
{
    uint32_t start, used, epoch;
    {
        std::lock_guard lock(FLock);
        start = FStart;
        used = FUsed.load();
        epoch = FEpoch;
    }
    const uint32_t n = FSize;
    const uint32_t end = start + used;
    uint32_t copied;
    if (end < n) {
        copied = std::min(len, used);
        std::memcpy(dst, FStorage.get() + start, copied);
    } else {
        copied = std::min(len, n - start);
        std::memcpy(dst, FStorage.get() + start, copied);
        if (len > n - start) {
            const uint32_t second = std::min(len - (n - start), end - n);
            std::memcpy(dst + copied, FStorage.get(), second);
            copied += second;
        }
    }
    Release(epoch, copied);
    return copied;
}

TRingBuffer::TRun TRingBuffer::UsedRun()
{
    std::lock_guard lock(FLock);
    const uint32_t used = FUsed.load();
    const uint32_t length = FStart + used < FSize ? used : FSize - FStart;
    return {FStorage.get() + FStart, length, FEpoch};
}

void TRingBuffer::Consume(const TRun& run, uint32_t count)
{
    Release(run.Epoch, count);
}

void TRingBuffer::Clear(TEvent* alsoReset)
{
    std::lock_guard lock(FLock);
    if (alsoReset)
        alsoReset->Reset();
    FUsed.store(0);
    ++FEpoch;
}

bool TRingBuffer::ResetIfEmpty(TEvent& event)
{
    std::lock_guard lock(FLock);
    if (FUsed.load() != 0)
        return false;
    event.Reset();
    return true;
}

void TRingBuffer::Publish(uint32_t epoch, uint32_t added)
{
    std::lock_guard lock(FLock);
    if (epoch == FEpoch)
        FUsed.store(FUsed.load() + added);
}

void TRingBuffer::Release(uint32_t epoch, uint32_t taken)
{
    std::lock_guard lock(FLock);
    if (epoch != FEpoch)
        return;
    FUsed.store(FUsed.load() - taken);
    FStart += taken;
    if (FStart >= FSize)
        FStart -= FSize;
}
