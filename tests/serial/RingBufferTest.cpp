#include "serial/TEvent.h"
#include "serial/TRingBuffer.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace {

std::vector<uint8_t> Sequence(size_t n, uint8_t first = 0)
{
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

} // namespace

TEST(RingBuffer, QueuesOnlyWhatFitsAndNeverWaits)
{
    TRingBuffer ring;
    ring.Allocate(4096);
    const auto data = Sequence(5000);
    EXPECT_EQ(ring.Put(data.data(), 5000), 4096u);
    EXPECT_EQ(ring.Used(), 4096u);
    EXPECT_EQ(ring.Free(), 0u);
    EXPECT_EQ(ring.Put(data.data(), 1), 0u);
}

TEST(RingBuffer, WrappingBlockLeavesAsTailRunThenHeadRunInOrder)
{
    TRingBuffer ring;
    ring.Allocate(100);
    const auto filler = Sequence(80);
    ASSERT_EQ(ring.Put(filler.data(), 80), 80u);
    TRingBuffer::TRun run = ring.UsedRun();
    ring.Consume(run, 70); // start 70, 10 used
    const auto block = Sequence(50, 100);
    ASSERT_EQ(ring.Put(block.data(), 50), 50u); // 20 at the tail, 30 from 0

    run = ring.UsedRun();
    ASSERT_EQ(run.Length, 30u); // 10 old bytes and the tail piece
    EXPECT_EQ(std::vector<uint8_t>(run.Data + 10, run.Data + 30),
              std::vector<uint8_t>(block.begin(), block.begin() + 20));
    ring.Consume(run, run.Length);
    run = ring.UsedRun();
    ASSERT_EQ(run.Length, 30u);
    EXPECT_EQ(std::vector<uint8_t>(run.Data, run.Data + 30), std::vector<uint8_t>(block.begin() + 20, block.end()));
}

TEST(RingBuffer, TakeReturnsPartialWrappedAndEmpty)
{
    TRingBuffer ring;
    ring.Allocate(16);
    uint8_t out[32];
    EXPECT_EQ(ring.Take(out, sizeof out), 0u);

    const auto first = Sequence(12);
    ring.Put(first.data(), 12);
    EXPECT_EQ(ring.Take(out, 10), 10u);
    const auto second = Sequence(12, 12); // wraps: 4 at the tail, 8 from 0
    ASSERT_EQ(ring.Put(second.data(), 12), 12u);
    ASSERT_EQ(ring.Take(out, 32), 14u);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 14), Sequence(14, 10));
    EXPECT_EQ(ring.Used(), 0u);
}

TEST(RingBuffer, FreeRunIsTheContiguousRoomAfterTheLastByte)
{
    TRingBuffer ring;
    ring.Allocate(10);
    const auto data = Sequence(8);
    ring.Put(data.data(), 8);
    uint8_t out[6];
    ring.Take(out, 6); // start 6, used 2: room 8..9 then 0..5
    TRingBuffer::TRun room = ring.FreeRun();
    EXPECT_EQ(room.Length, 2u);
    ring.Commit(room, 2);
    room = ring.FreeRun();
    EXPECT_EQ(room.Length, 6u);
}

TEST(RingBuffer, FlushDropsTransfersThatWereInFlight)
{
    TRingBuffer ring;
    ring.Allocate(64);
    TEvent transmit(TEvent::TMode::ManualReset);
    transmit.Set();
    const auto data = Sequence(20);
    ring.Put(data.data(), 20);

    const TRingBuffer::TRun sending = ring.UsedRun(); // the consumer is writing these
    ring.Clear(&transmit);
    ring.Put(data.data(), 5);              // queued after the flush
    ring.Consume(sending, sending.Length); // the old write completes
    EXPECT_EQ(ring.Used(), 5u) << "bytes queued after a flush must not be lost";

    const TRingBuffer::TRun receiving = ring.FreeRun();
    ring.Clear();
    ring.Commit(receiving, 10);
    EXPECT_EQ(ring.Used(), 0u) << "bytes read before a flush must not appear after it";
    EXPECT_TRUE(ring.ResetIfEmpty(transmit));
}
