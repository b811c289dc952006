#include "report/TConfigDiffer.h"

#include "image/ImageLayout.h"
#include "link/THexText.h"
#include "report/TConfigDescriber.h"
#include "report/TFact.h"
#include "report/TReportInput.h"
#include "report/TReportSource.h"

#include <array>
#include <unordered_set>

namespace {
using Line = TConfigDiffer::Line;
const char* const Arrow = " → ";

std::optional<TConfigFinding> nodeOf(const TFact& fact)
{
    TConfigFinding node;
    node.node = fact.node;
    node.number = fact.number;
    node.stage = fact.stage;
    return node;
}

void explain(const TFact& fact, std::array<uint8_t, TImage::Size>& explained)
{
    for (const TFact::Bits& bits : fact.source)
        explained[static_cast<size_t>(bits.offset)] |= bits.mask;
}

// The fact lines of the differences; explained receives the bits they show.
std::vector<Line> factLines(const std::vector<TFact>& a, const std::vector<TFact>& b,
                            std::array<uint8_t, TImage::Size>& explained)
{
    std::vector<Line> out;
    std::vector<std::string> keysA;
    std::vector<std::string> keysB;
    for (const TFact& f : a)
        keysA.push_back(f.key());
    for (const TFact& f : b)
        keysB.push_back(f.key());
    const std::unordered_set<std::string> inB(keysB.begin(), keysB.end());

    // Both lists follow one order, so a walk through both meets every fact
    // shared by the two in step.
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && keysA[i] == keysB[j]) {
            if (a[i].value != b[j].value || a[i].mark != b[j].mark) {
                out.push_back({keysA[i] + ": " + a[i].value + Arrow + b[j].value, nodeOf(a[i])});
                explain(a[i], explained);
                explain(b[j], explained);
            }
            ++i, ++j;
        } else if (i < a.size() && (j == b.size() || !inB.count(keysA[i]))) {
            out.push_back({"- " + a[i].line(), nodeOf(a[i])});
            explain(a[i], explained);
            ++i;
        } else {
            out.push_back({"+ " + b[j].line(), nodeOf(b[j])});
            explain(b[j], explained);
            ++j;
        }
    }
    return out;
}

void addByteLines(const TImage& imageA, const TImage& imageB, const std::array<uint8_t, TImage::Size>& explained,
                  std::vector<Line>& out)
{
    for (int offset = 0; offset < TImage::Size; ++offset) {
        const uint8_t was = imageA.byte(offset);
        const uint8_t is = imageB.byte(offset);
        if (((was ^ is) & ~explained[static_cast<size_t>(offset)]) != 0)
            out.push_back({"Байт 0x" + THexText::of(static_cast<unsigned>(offset), 4) + ": " + THexText::of(was, 2)
                               + Arrow + THexText::of(is, 2),
                           std::nullopt});
    }
}

std::vector<Line> printable(std::vector<Line> lines)
{
    for (Line& line : lines)
        line.text = TConfigDescriber::printable(line.text);
    return lines;
}

// Two whole configurations: the facts, the names the facts do not tell,
// then the bytes.
std::vector<Line> entries(const TReportInput& a, const TReportInput& b)
{
    std::array<uint8_t, TImage::Size> explained{};
    std::vector<Line> out = factLines(TConfigDescriber::facts(a), TConfigDescriber::facts(b), explained);
    for (int input = 1; input <= Layout::InputCount; ++input) {
        const std::string nameA = TConfigDescriber::algorithmName(a, input);
        const std::string nameB = TConfigDescriber::algorithmName(b, input);
        const auto enabled = [input](const TImage& image) {
            return image.value(Layout::Stage::Enabled.at(Layout::recordOffset(input))) != 0;
        };
        // A name the facts show on one side only, against an empty one on
        // the other, is told already by its "-" or "+" line.
        const bool shownA = enabled(a.image);
        const bool shownB = enabled(b.image);
        const bool told = (shownA && shownB) || (shownA && nameB.empty()) || (shownB && nameA.empty());
        if (nameA != nameB && !told) {
            TConfigFinding node;
            node.node = TConfigFinding::Node::Input;
            node.number = input;
            out.push_back({"IN-" + std::to_string(input) + ", Имя: " + nameA + Arrow + nameB, node});
        }
    }
    out = printable(std::move(out));
    addByteLines(a.image, b.image, explained, out);
    return out;
}

} // namespace

std::vector<std::string> TConfigDiffer::texts(const std::vector<Line>& lines)
{
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const Line& line : lines)
        out.push_back(line.text);
    return out;
}

std::vector<Line> TConfigDiffer::compare(const TImage& a, const Names* namesA, const TImage& b, const Names* namesB,
                                         const TSiteNames* siteA, const TSiteNames* siteB)
{
    // Unknown names take those of the other side, so they never differ.
    const Names none{};
    const Names& shownA = namesA ? *namesA : namesB ? *namesB : none;
    const Names& shownB = namesB ? *namesB : shownA;
    const TSiteNames noSite{};
    const TSiteNames& knownA = siteA ? *siteA : noSite;
    const TSiteNames& knownB = siteB ? *siteB : noSite;
    const TSiteNames& siteShownA = namesA ? knownA : knownB;
    const TSiteNames& siteShownB = namesB ? knownB : siteShownA;
    return entries(TReportSource::of(a, shownA, {}, {}, siteShownA), TReportSource::of(b, shownB, {}, {}, siteShownB));
}
