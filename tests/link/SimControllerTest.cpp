#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "image/TImage.h"
#include "link/TFrameChecksum.h"
#include "link/TIdentReply.h"
#include "link/TLinkEngine.h"
#include "link/TRequestFrames.h"
#include "tools/kt7sim/TSimController.h"
#include "tools/kt7sim/TSimOptions.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Chunks = std::vector<TSimController::Chunk>;
using Outcome = TLinkEngine::Outcome;

Bytes joined(const Chunks& chunks)
{
    Bytes all;
    for (const auto& c : chunks)
        all.insert(all.end(), c.begin(), c.end());
    return all;
}

Chunks send(TSimController& sim, const Bytes& request)
{
    return sim.consume(request.data(), request.size());
}

void fillPattern(TSimController::Memory& m)
{
    for (size_t i = 0; i < m.size(); ++i)
        m[i] = static_cast<uint8_t>(i * 13 + (i >> 8));
}

struct TransferRun {
    int blocks = 0;
    int echoDiffers = 0;
    int badChecksums = 0;
    Outcome last = Outcome::Waiting;
};

// Drives a whole transfer stop and wait, every chunk handed over as one batch.
TransferRun transfer(TSimController& sim, TLinkEngine::Job kind, TImage& image)
{
    TLinkEngine t;
    Bytes request = t.start(kind, image);
    TransferRun run;
    while (!request.empty()) {
        const Chunks reply = send(sim, request);
        request.clear();
        for (const auto& batch : reply) {
            const auto step = t.take(batch.data(), batch.size(), image);
            if (step.outcome == Outcome::Waiting)
                continue;
            ++run.blocks;
            run.echoDiffers += step.echoDiffers;
            run.badChecksums += step.checksumMismatch;
            run.last = step.outcome;
            request = step.request;
        }
    }
    return run;
}

} // namespace

TEST(SimController, AnswersIdentifyWithItsSerial)
{
    TSimController sim("ABCDEFGHIJ");
    const auto identify = TRequestFrames::identify();
    const Bytes reply = joined(send(sim, {identify.begin(), identify.end()}));
    ASSERT_EQ(reply.size(), 15u);
    EXPECT_EQ(reply[3], 0xAA);
    EXPECT_EQ(reply[14], TFrameChecksum::over(reply.data(), 14));
    const TIdentReply ident(reply.data(), reply.size());
    EXPECT_TRUE(ident.accepted());
    EXPECT_EQ(ident.text(), "S/N-ABCD (EF.GH.IJ) ");

    TSimController::Faults refuse;
    refuse.refuseIdentify = true;
    TSimController refusing("ABCDEFGHIJ", refuse);
    const Bytes no = joined(send(refusing, {identify.begin(), identify.end()}));
    EXPECT_FALSE(TIdentReply(no.data(), no.size()).accepted());

    EXPECT_THROW(TSimController("short"), std::invalid_argument);
}

TEST(SimController, ServesAWholeReadAndWrite)
{
    TSimController sim;
    fillPattern(sim.memory());
    TImage image;
    TransferRun read = transfer(sim, TLinkEngine::Job::Read, image);
    EXPECT_EQ(read.blocks, 64);
    EXPECT_EQ(read.last, Outcome::Complete);
    EXPECT_EQ(read.badChecksums, 0);
    EXPECT_TRUE(std::equal(sim.memory().begin(), sim.memory().end(), image.bytes().begin()));

    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>(255 - i % 251));
    TransferRun write = transfer(sim, TLinkEngine::Job::Write, image);
    EXPECT_EQ(write.blocks, 64);
    EXPECT_EQ(write.last, Outcome::Complete);
    EXPECT_EQ(write.echoDiffers, 0);
    EXPECT_EQ(write.badChecksums, 0);
    EXPECT_TRUE(std::equal(sim.memory().begin(), sim.memory().end(), image.bytes().begin()));
    EXPECT_EQ(sim.blockReplies(), 128);
}

TEST(SimController, FindsRequestsInANoisyByteStream)
{
    TSimController sim;
    fillPattern(sim.memory());
    const auto read = TRequestFrames::read(0x0040);
    Bytes stream = {0xFF, 0x00, 0x00, 0x01, 0x06, 0x33, 0x00, 0x40, 0x12}; // noise and a frame with a bad checksum
    stream.insert(stream.end(), read.begin(), read.end());
    stream.push_back(0x00); // start of a next frame, incomplete
    Chunks out;
    for (uint8_t b : stream) { // one byte at a time
        const Chunks c = sim.consume(&b, 1);
        out.insert(out.end(), c.begin(), c.end());
    }
    const Bytes reply = joined(out);
    ASSERT_EQ(reply.size(), 39u);
    EXPECT_EQ(reply[4], 0x00);
    EXPECT_EQ(reply[5], 0x40);
    EXPECT_EQ(reply[6], sim.memory()[0x40]);
    EXPECT_EQ(sim.blockReplies(), 1);
}

TEST(SimController, FaultsDoWhatTheySay)
{
    const auto read0 = TRequestFrames::read(0x0000);
    const auto read20 = TRequestFrames::read(0x0020);
    const Bytes r0(read0.begin(), read0.end());
    const Bytes r20(read20.begin(), read20.end());

    {
        TSimController::Faults f;
        f.split = {10, 10, 19};
        f.garbage = 3;
        TSimController sim("ABCDEFGHIJ", f);
        const Chunks first = send(sim, r0);
        ASSERT_EQ(first.size(), 4u);
        EXPECT_EQ(first[0].size(), 3u);
        EXPECT_EQ(first[1].size(), 10u);
        EXPECT_EQ(first[3].size(), 19u);
        EXPECT_EQ(send(sim, r0).size(), 3u); // the noise comes only once
    }
    {
        TSimController::Faults f;
        f.wrongAddress = {{0x0020, 0x0040}, {0x0000, 0x0800}};
        TSimController sim("ABCDEFGHIJ", f);
        fillPattern(sim.memory());
        const Bytes moved = joined(send(sim, r20));
        EXPECT_EQ(moved[5], 0x40);
        EXPECT_EQ(moved[6], sim.memory()[0x40]);
        TImage image;
        EXPECT_EQ(transfer(sim, TLinkEngine::Job::Read, image).last, Outcome::AddressOutside);
    }
    {
        TSimController::Faults f;
        f.corruptEchoBlock = 5;
        TSimController sim("ABCDEFGHIJ", f);
        TImage image;
        const TransferRun run = transfer(sim, TLinkEngine::Job::Write, image);
        EXPECT_EQ(run.blocks, 64);
        EXPECT_EQ(run.echoDiffers, 1);
        EXPECT_EQ(run.badChecksums, 0); // the echo is wrong, not the frame
    }
    {
        TSimController::Faults f;
        f.silentAfter = 3;
        TSimController sim("ABCDEFGHIJ", f);
        TImage image;
        EXPECT_EQ(transfer(sim, TLinkEngine::Job::Read, image).blocks, 3);
        const auto identify = TRequestFrames::identify();
        EXPECT_FALSE(send(sim, {identify.begin(), identify.end()}).empty());
    }
    {
        TSimController::Faults f;
        f.closeAfter = 2;
        TSimController sim("ABCDEFGHIJ", f);
        EXPECT_FALSE(send(sim, r0).empty());
        EXPECT_FALSE(sim.lineClosed());
        EXPECT_FALSE(send(sim, r20).empty());
        EXPECT_TRUE(sim.lineClosed());
        EXPECT_TRUE(send(sim, r0).empty());
    }
}

TEST(SimOptions, ParsesFaultsAndRefusesNonsense)
{
    const char* argv[]
        = {"kt7sim", "--baud",   "0",          "--split", "10,10,19", "--wrong-address", "0x20:0x40", "--corrupt-echo",
           "7",      "--serial", "ABCDEFGHIJ", "--com",   "3"};
    const TSimOptions o = TSimOptions::parse(std::size(argv), argv);
    EXPECT_EQ(o.baud, 0u);
    EXPECT_EQ(o.faults.split, (std::vector<size_t>{10, 10, 19}));
    ASSERT_EQ(o.faults.wrongAddress.size(), 1u);
    EXPECT_EQ(o.faults.wrongAddress[0].from, 0x20);
    EXPECT_EQ(o.faults.wrongAddress[0].to, 0x40);
    EXPECT_EQ(o.faults.corruptEchoBlock, 7);
    EXPECT_EQ(o.com, 3);

    const std::vector<std::vector<const char*>> bad = {
        {"kt7sim", "--split", "10,,3"}, {"kt7sim", "--split", "0"},    {"kt7sim", "--baud"},
        {"kt7sim", "--baud", "-1"},     {"kt7sim", "--serial", "ABC"}, {"kt7sim", "--wrong-address", "20"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(TSimOptions::parse(static_cast<int>(args.size()), args.data()), std::invalid_argument) << args[1];
}
