#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "image/TImage.h"
#include "link/TFrameChecksum.h"
#include "link/TLinkEngine.h"
#include "link/TRequestFrames.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Outcome = TLinkEngine::Outcome;

Bytes blockReply(uint16_t address, uint8_t fill, uint8_t command = 0x33)
{
    Bytes r = {0x00, 0x01, 0x26, command, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    for (int i = 0; i < 32; ++i)
        r.push_back(static_cast<uint8_t>(fill + i));
    r.push_back(TFrameChecksum::over(r.data(), r.size()));
    return r;
}

Bytes readRequest(uint16_t address)
{
    const auto f = TRequestFrames::read(address);
    return {f.begin(), f.end()};
}

} // namespace

TEST(LinkEngine, SplitReplyGivesOneNotePerBatchAndOneCopyLine)
{
    TImage image;
    TLinkEngine t;
    EXPECT_EQ(t.start(TLinkEngine::Job::Read, image), readRequest(0));

    const Bytes reply = blockReply(0x0000, 0x80);
    auto s1 = t.take(reply.data(), 10, image);
    auto s2 = t.take(reply.data() + 10, 10, image);
    auto s3 = t.take(reply.data() + 20, 19, image);
    EXPECT_EQ(s1.outcome, Outcome::Waiting);
    EXPECT_EQ(s2.outcome, Outcome::Waiting);
    EXPECT_EQ(s1.notes, std::vector<std::string>{"byte=000A"});
    EXPECT_EQ(s2.notes, std::vector<std::string>{"byte=000A"});
    EXPECT_EQ(s3.notes, (std::vector<std::string>{"byte=0013", "------------", "copy to0000"}));
    EXPECT_EQ(s3.outcome, Outcome::NextBlock);
    EXPECT_EQ(s3.request, readRequest(0x0020));
    EXPECT_EQ(image, TImage()) << "a read changes the image only once complete";

    // The same reply in one batch has the same effect, with byte=0027.
    TImage whole;
    TLinkEngine t2;
    t2.start(TLinkEngine::Job::Read, whole);
    const auto s = t2.take(reply.data(), reply.size(), whole);
    EXPECT_EQ(s.notes, (std::vector<std::string>{"byte=0027", "------------", "copy to0000"}));
    EXPECT_EQ(s.request, s3.request);
    EXPECT_EQ(whole, image);

    // A 45-byte batch completes the next reply; its 6 surplus bytes are
    // dropped, not taken as the start of the reply after it.
    Bytes longBatch = blockReply(0x0020, 0x10);
    longBatch.insert(longBatch.end(), 6, 0xEE);
    EXPECT_EQ(t2.take(longBatch.data(), longBatch.size(), whole).outcome, Outcome::NextBlock);
    const Bytes next = blockReply(0x0040, 0x20);
    EXPECT_EQ(t2.take(next.data(), next.size(), whole).address, 0x0040);
}

TEST(LinkEngine, TrustsTheRepliedAddressInsideTheImage)
{
    TImage image;
    TLinkEngine t;
    t.start(TLinkEngine::Job::Read, image);
    const Bytes reply = blockReply(0x0040, 0x01);
    const auto s = t.take(reply.data(), reply.size(), image);
    EXPECT_EQ(s.address, 0x0040);
    EXPECT_EQ(s.outcome, Outcome::NextBlock);
    EXPECT_EQ(s.request, readRequest(0x0060));

    // Unaligned but inside: the read goes on from where it says.
    const Bytes odd = blockReply(0x0065, 0x01);
    EXPECT_EQ(t.take(odd.data(), odd.size(), image).request, readRequest(0x0085));
    EXPECT_EQ(image, TImage());

    // A read that completes stores every block where its reply put it, in
    // one go at the end.
    TLinkEngine whole;
    whole.start(TLinkEngine::Job::Read, image);
    const Bytes first = blockReply(0x0000, 0x50);
    whole.take(first.data(), first.size(), image);
    Outcome last = Outcome::Waiting;
    for (unsigned address = 0x0040; address < TImage::Size; address += 32) {
        const Bytes reply = blockReply(static_cast<uint16_t>(address), static_cast<uint8_t>(address / 32));
        last = whole.take(reply.data(), reply.size(), image).outcome;
        if (address < 0x07E0) {
            ASSERT_EQ(image, TImage()) << address;
        }
    }
    EXPECT_EQ(last, Outcome::Complete);
    EXPECT_EQ(image.byte(0x00), 0x50);
    EXPECT_FALSE(image.anySet(0x20, 0x20));
    EXPECT_EQ(image.byte(0x40), 0x02);
    EXPECT_EQ(image.byte(0x7FF), 0x3F + 31);
}

TEST(LinkEngine, StopsOnAnAddressOutsideTheImage)
{
    for (uint16_t address : {uint16_t(0x0800), uint16_t(0x07E1), uint16_t(0xFFE0)}) {
        TImage image;
        TLinkEngine t;
        t.start(TLinkEngine::Job::Write, image);
        const Bytes reply = blockReply(address, 0x33, 0x44);
        const auto s = t.take(reply.data(), reply.size(), image);
        EXPECT_EQ(s.outcome, Outcome::AddressOutside) << address;
        EXPECT_FALSE(s.echoDiffers);
        EXPECT_TRUE(s.request.empty());
        EXPECT_FALSE(t.active());
        EXPECT_EQ(image, TImage());
        // Later bytes are ignored without notes.
        EXPECT_TRUE(t.take(reply.data(), reply.size(), image).notes.empty());
    }

    // An unaligned block that fits, but whose follower would pass the end.
    TImage image;
    TLinkEngine t;
    t.start(TLinkEngine::Job::Read, image);
    const Bytes reply = blockReply(0x07D0, 0x01);
    EXPECT_EQ(t.take(reply.data(), reply.size(), image).outcome, Outcome::AddressOutside);
    EXPECT_EQ(image, TImage()) << "a read that stops leaves the image as it was";
}

TEST(LinkEngine, NotesAChecksumMismatchAndGoesOn)
{
    TImage image;
    TLinkEngine t;
    t.start(TLinkEngine::Job::Read, image);
    Bytes reply = blockReply(0x0000, 0x07);
    const uint8_t good = reply[38];
    reply[38] = static_cast<uint8_t>(good + 1);
    const auto s = t.take(reply.data(), reply.size(), image);
    EXPECT_TRUE(s.checksumMismatch);
    EXPECT_EQ(s.outcome, Outcome::NextBlock);
    EXPECT_EQ(s.notes.size(), 4u);
    EXPECT_EQ(t.checksumMismatches(), 1);

    // The count belongs to one transfer: a clean read after a bad one has none.
    t.start(TLinkEngine::Job::Read, image);
    EXPECT_EQ(t.checksumMismatches(), 0);
    const Bytes clean = blockReply(0x0000, 0x07);
    EXPECT_FALSE(t.take(clean.data(), clean.size(), image).checksumMismatch);
    EXPECT_EQ(t.checksumMismatches(), 0);
}

TEST(LinkEngine, WriteComparesTheEchoAndSendsTheNextBlock)
{
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>(i * 7));
    TLinkEngine t;
    const Bytes first = t.start(TLinkEngine::Job::Write, image);
    ASSERT_EQ(first.size(), 39u);
    EXPECT_EQ(first[3], 0x44);
    EXPECT_EQ(first[6 + 5], image.byte(5));

    Bytes echo(first); // a faithful controller echoes what it stored
    auto s = t.take(echo.data(), echo.size(), image);
    EXPECT_FALSE(s.echoDiffers);
    ASSERT_EQ(s.outcome, Outcome::NextBlock);
    EXPECT_EQ(s.request[5], 0x20);
    EXPECT_EQ(s.request[6], image.byte(0x20));

    Bytes bad(s.request);
    bad[6 + 31] ^= 0x10;
    bad[38] = TFrameChecksum::over(bad.data(), 38);
    const TImage before = image;
    s = t.take(bad.data(), bad.size(), image);
    EXPECT_TRUE(s.echoDiffers);
    EXPECT_FALSE(s.checksumMismatch);
    EXPECT_EQ(s.outcome, Outcome::NextBlock);
    EXPECT_EQ(image, before); // a write never changes the image

    // An edit while the write runs is not sent: the rest of the image goes
    // out as it was when the write began, and its echo is judged by that.
    image.setByte(0x40, static_cast<uint8_t>(before.byte(0x40) ^ 0xFF));
    image.setByte(0x7FF, static_cast<uint8_t>(before.byte(0x7FF) ^ 0xFF));
    EXPECT_EQ(s.request[6], before.byte(0x40));
    Bytes echo2(s.request);
    for (uint16_t at = 0x40;; at = static_cast<uint16_t>(at + 32)) {
        s = t.take(echo2.data(), echo2.size(), image);
        EXPECT_FALSE(s.echoDiffers) << at;
        if (s.outcome != Outcome::NextBlock)
            break;
        echo2 = s.request;
    }
    EXPECT_EQ(s.outcome, Outcome::Complete);
    EXPECT_EQ(echo2[6 + 31], before.byte(0x7FF));
}

TEST(LinkEngine, ToolPolicyTakesRepliesFromTheirStartAndClearsTheInput)
{
    TImage image;
    TLinkEngine window;
    TLinkEngine tool(TLinkPolicy::checked(300, 9600));
    for (TLinkEngine* e : {&window, &tool}) {
        e->start(TLinkEngine::Job::Read, image);
        EXPECT_TRUE(e->clearsInput()) << "nothing before the first request belongs to its reply";
    }
    EXPECT_FALSE(window.replyWait());
    // 300 ms and the line time of 7 + 39 bytes at 1041 us each.
    EXPECT_EQ(tool.replyWait(), std::chrono::microseconds(300'000 + 46 * 1041));

    // A surplus byte after the reply: the window drops it with the batch,
    // kt7tool clears the input before every request.
    Bytes batch = blockReply(0x0000, 0x01);
    batch.push_back(0xEE);
    EXPECT_EQ(window.take(batch.data(), batch.size(), image).outcome, Outcome::NextBlock);
    EXPECT_FALSE(window.clearsInput());
    EXPECT_EQ(tool.take(batch.data(), batch.size(), image).outcome, Outcome::NextBlock);
    EXPECT_TRUE(tool.clearsInput());

    // Stray bytes in front of a reply, even one that starts like a reply,
    // are dropped by kt7tool; the window would take them as the reply.
    Bytes stray = {0xEE, 0x00, 0x01, 0x00};
    const Bytes reply = blockReply(0x0020, 0x02);
    stray.insert(stray.end(), reply.begin(), reply.end());
    EXPECT_EQ(tool.take(stray.data(), 10, image).outcome, Outcome::Waiting);
    EXPECT_EQ(tool.replyBytesMissing(), 39u - 6u);
    const auto s = tool.take(stray.data() + 10, stray.size() - 10, image);
    EXPECT_EQ(s.outcome, Outcome::NextBlock);
    EXPECT_EQ(s.address, 0x0020);
    EXPECT_NE(window.take(stray.data(), 39, image).address, 0x0020);

    // Only stray bytes until the time-out; the window has none and waits.
    tool.sent();
    tool.take(stray.data(), 2, image);
    EXPECT_EQ(tool.timeOut().outcome, Outcome::Again);
    EXPECT_EQ(tool.quietMs(), 20) << "a repeat waits for a quiet line";
    EXPECT_TRUE(tool.requestUnanswered());
    EXPECT_EQ(window.timeOut().outcome, Outcome::Waiting);
    EXPECT_TRUE(window.active());
}

TEST(LinkEngine, ToolPolicyDemandsTheAskedAddressAndAsksAgainForADamagedReply)
{
    TImage image;
    TLinkEngine tool(TLinkPolicy::checked(300, 9600));
    const Bytes first = tool.start(TLinkEngine::Job::Read, image);
    const Bytes block0 = blockReply(0x0000, 0x05);
    ASSERT_EQ(tool.take(block0.data(), block0.size(), image).outcome, Outcome::NextBlock);

    // A late second reply to block 0 is dropped while block 0x0020 is asked for.
    EXPECT_EQ(tool.take(block0.data(), block0.size(), image).outcome, Outcome::Waiting);
    // A damaged reply is asked for again, twice, then the read fails.
    Bytes bad = blockReply(0x0020, 0x06);
    bad[38] ^= 0x01;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto s = tool.take(bad.data(), bad.size(), image);
        EXPECT_EQ(s.outcome, Outcome::Again);
        EXPECT_EQ(s.request, readRequest(0x0020));
        EXPECT_FALSE(s.checksumMismatch);
    }
    EXPECT_EQ(tool.repeats(), 2);
    auto s = tool.take(bad.data(), bad.size(), image);
    EXPECT_EQ(s.outcome, Outcome::Failed);
    EXPECT_EQ(s.failure, "block 0x0020: reply with a wrong checksum (3 tries)");
    EXPECT_EQ(tool.blocksDone(), 1);
    EXPECT_FALSE(tool.active());
    EXPECT_EQ(image, TImage());
    // What the read took before it failed stays apart from the image.
    TImage soFar;
    EXPECT_EQ(tool.readSoFar(soFar), 1);
    EXPECT_EQ(soFar.byte(31), 0x05 + 31);
    EXPECT_EQ(soFar.byte(32), 0x00);

    // Any other address is no reply either; the window would go on from it.
    EXPECT_EQ(tool.start(TLinkEngine::Job::Read, image), first);
    const Bytes other = blockReply(0x0040, 0x07);
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_EQ(tool.take(other.data(), other.size(), image).outcome, Outcome::Again);
    s = tool.take(other.data(), other.size(), image);
    EXPECT_EQ(s.outcome, Outcome::Failed);
    EXPECT_EQ(s.failure, "block 0x0000: the reply carries address 0x0040 (3 tries)");
    EXPECT_EQ(s.cause, TLinkEngine::Cause::WrongAddress);
    EXPECT_EQ(s.address, 0x0040);
    EXPECT_EQ(tool.repeats(), 4) << "counted over every job";
    EXPECT_EQ(tool.readSoFar(soFar), 0);
    tool.start(TLinkEngine::Job::Read, image);
    EXPECT_EQ(tool.take(other.data(), other.size(), image).outcome, Outcome::Again);
    EXPECT_EQ(tool.take(block0.data(), block0.size(), image).outcome, Outcome::NextBlock);

    // A damaged identify reply is no identification.
    Bytes ident = {0x00, 0x01, 0x0E, 0xAA, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'};
    ident.push_back(static_cast<uint8_t>(TFrameChecksum::over(ident.data(), ident.size()) ^ 0x01));
    tool.start(TLinkEngine::Job::Identify, image);
    EXPECT_EQ(tool.take(ident.data(), ident.size(), image).failure, "identify reply with a wrong checksum");
    TLinkEngine window;
    window.start(TLinkEngine::Job::Identify, image);
    const auto w = window.take(ident.data(), ident.size(), image);
    ASSERT_EQ(w.outcome, Outcome::Identified);
    EXPECT_EQ(w.ident->text(), "S/N-ABCD (EF.GH.IJ) ");
}
