#include "report/TReportSource.h"

namespace {
// The box lists: splitters "1".."12", consoles and message modules "0".."3",
// relay modules "0".."6".
std::string shown(uint8_t stored, int items, int first)
{
    return stored < items ? std::to_string(first + stored) : std::string();
}
} // namespace

int TReportSource::splitters(const TImage& image)
{
    const int stored = image.value(Layout::SplitterCount.at(Layout::SystemNode));
    return stored < Layout::Splitters ? stored + 1 : 0;
}

std::string TReportSource::caption(int input, const std::string& name)
{
    return "IN-" + std::to_string(input) + " " + name;
}

TReportInput TReportSource::of(const TImage& image, const Names& names, std::string projectName, std::string dateTime,
                               const TSiteNames& site)
{
    using namespace Layout;
    TReportInput input;
    input.site = site;
    input.projectName = std::move(projectName);
    input.dateTime = std::move(dateTime);
    input.image = image;
    input.splitterCount = shown(image.value(SplitterCount.at(SystemNode)), Splitters, 1);
    const uint8_t consoles = image.value(ConsoleCount.at(SystemNode));
    input.consoleCount = shown(consoles, 4, 0);
    input.consoleIndex = consoles;
    input.messageModuleCount = shown(image.value(MessageModules.at(SystemNode)), 4, 0);
    input.relayModuleCount = shown(image.value(RelayModuleCount.at(SystemNode)), RelayModules + 1, 0);
    input.phonePaging = image.value(PagingFlag.at(SystemNode)) != 0;
    input.music = image.value(MusicFlag.at(SystemNode)) != 0;
    const int usable = input.music ? OutputsPerSplitter * splitters(image) : 0;
    for (int p = 0; p < OutputBits; ++p)
        input.musicOutputs[static_cast<size_t>(p)] = p < usable && image.bit(MusicMask, p);
    for (int i = 1; i <= InputCount; ++i)
        input.inputCaptions[static_cast<size_t>(i - 1)] = caption(i, names[static_cast<size_t>(i - 1)]);
    return input;
}
