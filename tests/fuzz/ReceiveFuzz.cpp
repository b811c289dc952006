// Feeds arbitrary batch sequences and time-outs to the link engine, under
// the window's rules or kt7tool's, in every job: none, identify, and
// whole-image read and write, with whatever addresses the replies carry. Aborts when a batch changes the image before a
// read has completed (or at all during a write), when a transfer asks for a block that would leave the image, or when a
// step does not follow from the reply it handled.

#include "tests/fuzz/FuzzCheck.h"

#include "image/TImage.h"
#include "link/FrameLayout.h"
#include "link/TBlockCollector.h"
#include "link/TIdentReply.h"
#include "link/TLinkEngine.h"
#include "link/TRequestFrames.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

namespace {

enum class Action {
    StartRead,
    StartWrite,
    Stop,
    Identify,
    Block,
    Collect,
    StartIdentify,
    TimeOut,
    kMaxValue = TimeOut
};

// Batches up to a little more than the receive handler's 1024-byte buffer.
constexpr size_t BatchLimit = 1100;

void checkIdentify(const std::vector<uint8_t>& batch)
{
    const TIdentReply reply(batch.data(), batch.size());
    FUZZ_CHECK(reply.text().size() == TIdentReply::TextLength);
    FUZZ_CHECK(reply.serial().size() == 4);
    FUZZ_CHECK(reply.accepted()
               == (batch.size() > Frame::PosCommand && batch[Frame::PosCommand] == Frame::StatusAccepted));
}

void checkStep(const TLinkEngine& transfer, const TLinkEngine::Step& step, const TImage& before, const TImage& after,
               bool wasActive, const std::vector<uint8_t>& asked)
{
    using Outcome = TLinkEngine::Outcome;
    if (!wasActive) {
        FUZZ_CHECK(step.outcome == Outcome::Waiting && step.notes.empty() && before == after);
        return;
    }
    switch (step.outcome) {
    case Outcome::Waiting: FUZZ_CHECK(before == after && step.request.empty() && transfer.active()); return;
    case Outcome::AddressOutside: FUZZ_CHECK(!transfer.active() && step.request.empty()); break;
    case Outcome::Again: FUZZ_CHECK(transfer.active() && step.request == asked); break;
    case Outcome::Failed: FUZZ_CHECK(!transfer.active() && !step.failure.empty()); break;
    case Outcome::Identified:
        FUZZ_CHECK(!transfer.active() && step.ident && step.ident->text().size() == TIdentReply::TextLength);
        break;
    case Outcome::Complete:
        FUZZ_CHECK(!transfer.active() && step.request.empty());
        FUZZ_CHECK(step.address + Frame::BlockDataSize >= TImage::Size);
        break;
    case Outcome::NextBlock: {
        FUZZ_CHECK(transfer.active());
        const unsigned next = step.address + Frame::BlockDataSize;
        FUZZ_CHECK(next + Frame::BlockDataSize <= TImage::Size);
        std::vector<uint8_t> expected;
        if (transfer.job() == TLinkEngine::Job::Read) {
            const auto frame = TRequestFrames::read(static_cast<uint16_t>(next));
            expected.assign(frame.begin(), frame.end());
        } else {
            uint8_t data[Frame::BlockDataSize];
            for (int i = 0; i < Frame::BlockDataSize; ++i)
                data[i] = after.byte(static_cast<int>(next) + i);
            const auto frame = TRequestFrames::write(static_cast<uint16_t>(next), data);
            expected.assign(frame.begin(), frame.end());
        }
        FUZZ_CHECK(step.request == expected);
        break;
    }
    }
    // A read's blocks reach the image all at once, with the last of them.
    if (transfer.job() == TLinkEngine::Job::Write || step.outcome != Outcome::Complete)
        FUZZ_CHECK(before == after);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    TImage image;
    TLinkEngine transfer(input.ConsumeBool() ? TLinkPolicy::checked(300, 9600) : TLinkPolicy::trusting());
    TBlockCollector collector;
    std::vector<uint8_t> asked; // the outstanding request
    while (input.remaining_bytes() > 0) {
        const auto action = input.ConsumeEnum<Action>();
        const std::vector<uint8_t> batch
            = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, BatchLimit));
        switch (action) {
        case Action::StartRead:
        case Action::StartWrite: {
            const auto kind = action == Action::StartRead ? TLinkEngine::Job::Read : TLinkEngine::Job::Write;
            // The batch fills the image so that write requests carry varied data.
            for (size_t i = 0; i < batch.size() && i < TImage::Size; ++i)
                image.setByte(static_cast<int>(i), batch[i]);
            const TImage before = image;
            const auto request = transfer.start(kind, image);
            asked = request;
            FUZZ_CHECK(transfer.active() && before == image);
            FUZZ_CHECK(
                request.size()
                == (kind == TLinkEngine::Job::Read ? size_t{Frame::ReadRequestSize} : size_t{Frame::BlockFrameSize}));
            break;
        }
        case Action::StartIdentify:
            asked = transfer.start(TLinkEngine::Job::Identify, image);
            FUZZ_CHECK(asked.size() == size_t{Frame::IdentifySize});
            break;
        case Action::Stop: transfer.stop(); break;
        case Action::Identify: checkIdentify(batch); break;
        case Action::Block: {
            const TImage before = image;
            const bool wasActive = transfer.active();
            const auto step = transfer.take(batch.data(), batch.size(), image);
            checkStep(transfer, step, before, image, wasActive, asked);
            if (!step.request.empty())
                asked = step.request;
            break;
        }
        case Action::TimeOut: {
            const TImage before = image;
            const bool wasActive = transfer.active();
            const auto step = transfer.timeOut();
            checkStep(transfer, step, before, image, wasActive, asked);
            FUZZ_CHECK(step.outcome != TLinkEngine::Outcome::NextBlock);
            break;
        }
        case Action::Collect: {
            const size_t had = collector.received();
            const size_t kept = collector.append(batch.data(), batch.size());
            FUZZ_CHECK(kept <= batch.size() && collector.received() == had + kept);
            FUZZ_CHECK(collector.received() <= TBlockCollector::ReplySize);
            if (collector.complete()) {
                (void)collector.checksumMatches();
                collector.reset();
            }
            break;
        }
        }
    }
    return 0;
}
