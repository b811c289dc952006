// Arbitrary pairs of images, with arbitrary names, through the configuration
// check, the cause-and-effect matrix and the timelines, the configuration in
// words and the differences in words: nothing may fail on content alone,
// every finding names a node the tree has, every timeline bar lies inside
// its picture, a configuration differs from nothing in itself, and two
// configurations that differ in any byte never compare as equal.

#include "tests/fuzz/FuzzCheck.h"

#include "report/TCauseMatrix.h"
#include "report/TConfigCheck.h"
#include "report/TConfigDescriber.h"
#include "report/TConfigDiffer.h"
#include "report/TReportSource.h"
#include "report/TTimelineLayout.h"
#include "report/TTimelineSvg.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

TImage imageFrom(FuzzedDataProvider& input)
{
    TImage image;
    const auto bytes = input.ConsumeBytes<uint8_t>(TImage::Size);
    for (size_t i = 0; i < bytes.size(); ++i)
        image.setByte(static_cast<int>(i), bytes[i]);
    return image;
}

bool nodeExists(const TConfigFinding& f)
{
    using Node = TConfigFinding::Node;
    switch (f.node) {
    case Node::Button:
    case Node::Group: return f.number >= 1 && f.number <= Layout::MaskCount && f.stage == 0;
    case Node::Input: return f.number >= 1 && f.number <= Layout::InputCount && f.stage == 0;
    case Node::Stage:
        return f.number >= 1 && f.number <= Layout::InputCount && f.stage >= 1 && f.stage <= Layout::StageCount;
    default: return f.number == 0 && f.stage == 0;
    }
}

void check(const TImage& image, const TConfigCheck::Names& names)
{
    for (const TConfigCheck::Names* given : {&names, static_cast<const TConfigCheck::Names*>(nullptr)}) {
        const std::vector<TConfigFinding> findings = TConfigCheck::run(image, given);
        for (const TConfigFinding& f : findings) {
            FUZZ_CHECK(nodeExists(f));
            FUZZ_CHECK(!f.id.empty() && !f.text.empty());
        }
        FUZZ_CHECK(TConfigCheck::errors(findings) <= static_cast<int>(findings.size()));
        FUZZ_CHECK(!TConfigCheck::text(findings).empty() || findings.empty());
        FUZZ_CHECK(!TConfigCheck::json(findings).empty());
    }
    // The running stages are stages 1..r, the cells name only them, and
    // the stages that never run lie beyond them.
    const TCauseMatrix matrix = TCauseMatrix::of(image, names);
    std::vector<TAlarmPlan::Input> plans;
    std::vector<std::string> heads;
    for (const TCauseMatrix::Row& row : matrix.rows) {
        int last = 0;
        for (const TAlarmPlan::Stage& s : row.plan.running)
            FUZZ_CHECK(s.number == ++last);
        for (const std::vector<int>& cell : row.cells)
            for (const int k : cell)
                FUZZ_CHECK(k >= 1 && k <= last);
        for (const int k : row.plan.idle)
            FUZZ_CHECK(k > last);
        plans.push_back(row.plan);
        heads.push_back(row.head);
    }
    FUZZ_CHECK(!matrix.text().empty() && !matrix.csv().empty() && !matrix.json().empty());
    FUZZ_CHECK(!TTimelineSvg::document(plans, heads, matrix.composition).empty());
    // On their one scale every bar lies inside the picture, none negative.
    const TTimelineLayout::Scale scale = TTimelineLayout::Scale::of(plans, TTimelineSvg::Width);
    for (const TAlarmPlan::Input& plan : plans)
        for (const TTimelineLayout::Bar& b : TTimelineLayout::of(plan, matrix.composition, scale).bars)
            FUZZ_CHECK(b.width >= 0 && b.x >= TTimelineLayout::Margin && b.x + b.width <= scale.right() + 1e-6);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    // B is A with the fuzzer's changes, so that near neighbours are common.
    const TImage a = imageFrom(input);
    TImage b = a;
    const size_t changes = input.ConsumeIntegralInRange<size_t>(0, 8);
    for (size_t c = 0; c < changes; ++c)
        b.setByte(input.ConsumeIntegralInRange<int>(0, TImage::Size - 1), input.ConsumeIntegral<uint8_t>());
    if (input.ConsumeBool())
        b = imageFrom(input);
    TReportSource::Names names;
    for (std::string& name : names)
        name = input.ConsumeRandomLengthString(16);

    check(a, names);
    check(b, names);
    const TReportInput inA = TReportSource::of(a, names, "A", {});
    const TReportInput inB = TReportSource::of(b, names, "B", {});
    const auto factsA = TConfigDescriber::facts(inA);
    const auto factsB = TConfigDescriber::facts(inB);
    FUZZ_CHECK(!TConfigDescriber::text(factsA).empty());
    FUZZ_CHECK(!TConfigDescriber::json(factsB).empty());

    FUZZ_CHECK(TConfigDiffer::compare(a, &names, a, &names).empty());
    const bool same = TConfigDiffer::compare(a, nullptr, b, nullptr).empty();
    FUZZ_CHECK(same == (a == b));
    // Every line of a comparison leads to a node the tree has, but the bytes.
    for (const TConfigDiffer::Line& line : TConfigDiffer::compare(a, &names, b, nullptr))
        FUZZ_CHECK(line.node ? nodeExists(*line.node) : line.text.rfind("Байт 0x", 0) == 0);
    return 0;
}
