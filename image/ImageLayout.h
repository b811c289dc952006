#pragma once
// Where every field of the controller image lies. Offsets in decimal; every
// range below is checked at compile time against its neighbours.

#include "image/TImage.h"

namespace Layout {

// Regions.
constexpr int SystemNode = 32; // offset carried by the composition and settings nodes
constexpr int CompositionByte = 32;
constexpr int ModuleByte = 33;
constexpr int MusicMask = 34;
constexpr int AlarmRecords = 48;
constexpr int InputCount = 24;
constexpr int RecordSize = 60;
constexpr int StageCount = 5;
constexpr int StageSize = 12;
constexpr int ButtonTable = 1488;
constexpr int GroupTable = 1560;
constexpr int MaskCount = 12;     // buttons, and paging groups
constexpr int FirstUnused = 1632; // 1632..2047 belong to nobody

// Output masks: one bit per splitter output, 12 splitters x OUT1..OUT4.
constexpr int MaskSize = 6;
constexpr int Splitters = 12;
constexpr int OutputsPerSplitter = 4;
constexpr int OutputBits = Splitters * OutputsPerSplitter;
constexpr int outputBit(int splitter, int out)
{
    return 4 * (splitter - 1) + (out - 1);
}

// Relay mask of a stage: 6 relay modules x 4 relays.
constexpr int RelayModules = 6;
constexpr int RelaysPerModule = 4;
constexpr int RelayBits = RelayModules * RelaysPerModule;
constexpr int relayBit(int module, int relay)
{
    return 4 * (module - 1) + (relay - 1);
}

constexpr int GroupCodeBase = 200; // paging group g is reached by code 200 + g

// Composition byte and module byte, relative to the system node offset.
constexpr TBitRange SplitterCount{0, 0xF0}; // splitters - 1
constexpr TBitRange ConsoleCount{0, 0x0C};
constexpr TBitRange PagingFlag{0, 0x02};
constexpr TBitRange MusicFlag{0, 0x01};
constexpr TBitRange MessageModules{1, 0xC0};
constexpr TBitRange RelayModuleCount{1, 0x38};
constexpr int MusicMaskDisplacement = 2;

// Stage record, relative to the stage offset. Enabled and DelayCode exist in
// the head byte (byte 0 of stage 1) only.
namespace Stage {
    constexpr TBitRange Enabled{0, 0x80};
    constexpr TBitRange DelayCode{0, 0x7C};
    constexpr TBitRange K2{0, 0x02};
    constexpr TBitRange K1{0, 0x01};
    constexpr int Duration = 1;
    constexpr TBitRange Message{2, 0xF8};
    constexpr int Outputs = 3; // 6-byte output mask
    constexpr int Relays = 9;  // 3-byte relay mask
    constexpr int RelaysSize = 3;
} // namespace Stage

constexpr int recordOffset(int input)
{
    return AlarmRecords + RecordSize * (input - 1);
}
constexpr int stageOffset(int input, int stage)
{
    return recordOffset(input) + StageSize * (stage - 1);
}
constexpr int buttonOffset(int button)
{
    return ButtonTable + MaskSize * (button - 1);
}
constexpr int groupOffset(int group)
{
    return GroupTable + MaskSize * (group - 1);
}

static_assert(isContiguousMask(SplitterCount.mask) && isContiguousMask(ConsoleCount.mask));
static_assert(isContiguousMask(MessageModules.mask) && isContiguousMask(RelayModuleCount.mask));
static_assert(isContiguousMask(Stage::DelayCode.mask) && isContiguousMask(Stage::Message.mask));
static_assert((SplitterCount.mask & ConsoleCount.mask & PagingFlag.mask & MusicFlag.mask) == 0);
static_assert((SplitterCount.mask | ConsoleCount.mask | PagingFlag.mask | MusicFlag.mask) == 0xFF);
static_assert((MessageModules.mask | RelayModuleCount.mask) == 0xF8); // bits 2..0 belong to nobody
static_assert((Stage::Enabled.mask | Stage::DelayCode.mask | Stage::K2.mask | Stage::K1.mask) == 0xFF);
static_assert(SystemNode + MusicMaskDisplacement == MusicMask && MusicMask + MaskSize <= 40);
static_assert(Stage::Relays + Stage::RelaysSize == StageSize && Stage::Outputs + MaskSize == Stage::Relays);
static_assert(RecordSize == StageCount * StageSize);
static_assert(recordOffset(InputCount + 1) == ButtonTable);
static_assert(buttonOffset(MaskCount + 1) == GroupTable);
static_assert(groupOffset(MaskCount + 1) == FirstUnused);
static_assert(FirstUnused <= TImage::Size);

} // namespace Layout
