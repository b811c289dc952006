#include "report/TConfigDiffer.h"

#include "image/ImageLayout.h"
#include "link/THexText.h"
#include "report/TConfigDescriber.h"

#include <array>
#include <unordered_set>

namespace {
const char* const Arrow = " → ";

void explain(const TFact& fact, std::array<uint8_t, TImage::Size>& explained)
{
    for (const TFact::Bits& bits : fact.source)
        explained[static_cast<size_t>(bits.offset)] |= bits.mask;
}

// The fact lines of the differences; explained receives the bits they show.
std::vector<std::string> factLines(const std::vector<TFact>& a, const std::vector<TFact>& b,
                                   std::array<uint8_t, TImage::Size>& explained)
{
    std::vector<std::string> out;
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
                out.push_back(keysA[i] + ": " + a[i].value + Arrow + b[j].value);
                explain(a[i], explained);
                explain(b[j], explained);
            }
            ++i, ++j;
        } else if (i < a.size() && (j == b.size() || !inB.count(keysA[i]))) {
            out.push_back("- " + a[i].line());
            explain(a[i], explained);
            ++i;
        } else {
            out.push_back("+ " + b[j].line());
            explain(b[j], explained);
            ++j;
        }
    }
    return out;
}

void addByteLines(const TImage& imageA, const TImage& imageB, const std::array<uint8_t, TImage::Size>& explained,
                  std::vector<std::string>& out)
{
    for (int offset = 0; offset < TImage::Size; ++offset) {
        const uint8_t was = imageA.byte(offset);
        const uint8_t is = imageB.byte(offset);
        if (((was ^ is) & ~explained[static_cast<size_t>(offset)]) != 0)
            out.push_back("Байт 0x" + THexText::of(static_cast<unsigned>(offset), 4) + ": " + THexText::of(was, 2)
                          + Arrow + THexText::of(is, 2));
    }
}

std::vector<std::string> printable(std::vector<std::string> lines)
{
    for (std::string& line : lines)
        line = TConfigDescriber::printable(line);
    return lines;
}
} // namespace

std::vector<std::string> TConfigDiffer::lines(const std::vector<TFact>& a, const TImage& imageA,
                                              const std::vector<TFact>& b, const TImage& imageB)
{
    std::array<uint8_t, TImage::Size> explained{};
    std::vector<std::string> out = printable(factLines(a, b, explained));
    addByteLines(imageA, imageB, explained, out);
    return out;
}

std::vector<std::string> TConfigDiffer::lines(const TReportInput& a, const TReportInput& b)
{
    std::array<uint8_t, TImage::Size> explained{};
    std::vector<std::string> out = factLines(TConfigDescriber::facts(a), TConfigDescriber::facts(b), explained);
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
        if (nameA != nameB && !told)
            out.push_back("IN-" + std::to_string(input) + ", Имя: " + nameA + Arrow + nameB);
    }
    out = printable(std::move(out));
    addByteLines(a.image, b.image, explained, out);
    return out;
}
