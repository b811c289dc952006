// The configuration check on the images that give it the most to do: every
// input on with five running stages that use every output and relay beyond a
// small composition, and random bytes. Each figure is the median of single
// checks; the target is 5 ms, what a write may spend on it.

#include "image/TAlarmRecord.h"
#include "report/TConfigCheck.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int Runs = 2001;
constexpr double TargetMs = 5;

TImage crowded()
{
    TImage image;
    image.setByte(Layout::CompositionByte, 0x0F); // 1 splitter, 3 consoles, paging, music
    image.setByte(Layout::ModuleByte, 0x00);
    for (int i = Layout::MusicMask; i < Layout::MusicMask + Layout::MaskSize; ++i)
        image.setByte(i, 0xFF);
    for (int i = Layout::ButtonTable; i < Layout::FirstUnused; ++i)
        image.setByte(i, 0xFF);
    for (int input = 1; input <= Layout::InputCount; ++input) {
        TAlarmRecord record(image, input);
        for (int k = 1; k <= Layout::StageCount; ++k) {
            for (int b = 0; b < Layout::StageSize; ++b)
                image.setByte(record.stage(k).offset() + b, 0xFF);
            record.stage(k).setDuration(k == Layout::StageCount ? 250 : 1);
        }
        record.setDelayCode(31);
    }
    return image;
}

TImage random(unsigned seed)
{
    std::mt19937 generator(seed);
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>(generator()));
    return image;
}

void time(const char* what, const TImage& image)
{
    const TConfigCheck::Names names{};
    std::vector<double> ms;
    size_t findings = 0;
    for (int run = 0; run < Runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        findings = TConfigCheck::run(image, &names).size();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("check of %-22s median %.3f ms, 99th %.3f ms, %zu findings | target %.0f ms\n", what, ms[ms.size() / 2],
                ms[ms.size() * 99 / 100], findings, TargetMs);
}

} // namespace

int main()
{
    time("a crowded image", crowded());
    time("random bytes", random(7));
    time("a new project", TImage());
    return 0;
}
