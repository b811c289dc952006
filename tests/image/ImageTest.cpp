#include "image/ImageLayout.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {
// Fills the image with a pattern so that any stray write shows.
TImage patterned()
{
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>(i * 37 + 11));
    return image;
}

// Bytes that differ between two images.
std::vector<int> changedBytes(const TImage& a, const TImage& b)
{
    std::vector<int> out;
    for (int i = 0; i < TImage::Size; ++i)
        if (a.byte(i) != b.byte(i))
            out.push_back(i);
    return out;
}
} // namespace

TEST(ImageBits, BitOrderIsMostSignificantFirst)
{
    TImage image;
    image.setBit(34, 9, true); // splitter 3 OUT2 of the music mask
    EXPECT_EQ(image.byte(35), 0x40);
    image.setBit(1488, 0, true);
    EXPECT_EQ(image.byte(1488), 0x80);
    image.setBit(1488, 7, true);
    EXPECT_EQ(image.byte(1488), 0x81);
    image.setBit(1488, 47, true);
    EXPECT_EQ(image.byte(1493), 0x01);
    EXPECT_TRUE(image.bit(1488, 47));
    EXPECT_FALSE(image.bit(1488, 46));
}

TEST(ImageBits, WritingOneBitLeavesEveryOtherBitOfTheImage)
{
    for (int n : {0, 5, 8, 23, 47}) {
        for (bool on : {true, false}) {
            TImage image = patterned();
            const TImage before = image;
            image.setBit(100, n, on);
            const auto changed = changedBytes(before, image);
            ASSERT_LE(changed.size(), 1u);
            if (!changed.empty()) {
                EXPECT_EQ(changed[0], 100 + n / 8);
                EXPECT_EQ(before.byte(changed[0]) ^ image.byte(changed[0]), 0x80 >> (n % 8));
            }
            EXPECT_EQ(image.bit(100, n), on);
        }
    }
}

TEST(ImageBits, OutputMaskPositions)
{
    EXPECT_EQ(Layout::outputBit(1, 1), 0);
    EXPECT_EQ(Layout::outputBit(2, 4), 7);
    EXPECT_EQ(Layout::outputBit(12, 4), 47);
    TImage image;
    image.setBit(0, Layout::outputBit(2, 4), true);
    EXPECT_EQ(image.byte(0), 0x01);
    image.setBit(0, Layout::outputBit(12, 4), true);
    EXPECT_EQ(image.byte(5), 0x01);
}

TEST(CompositionByte, FieldsNeverDisturbOneAnother)
{
    TImage image;
    const TBitRange splitters = Layout::SplitterCount.at(Layout::SystemNode);
    const TBitRange consoles = Layout::ConsoleCount.at(Layout::SystemNode);
    const TBitRange paging = Layout::PagingFlag.at(Layout::SystemNode);
    const TBitRange music = Layout::MusicFlag.at(Layout::SystemNode);
    EXPECT_EQ(image.value(splitters) + 1, 1);
    EXPECT_EQ(image.value(consoles), 0);

    image.setByte(32, 0x07);
    image.setValue(splitters, 11);
    EXPECT_EQ(image.byte(32), 0xB7);
    image.setByte(32, 0x00);
    image.setValue(consoles, 3);
    EXPECT_EQ(image.byte(32), 0x0C);

    image.setByte(32, 0xB7);
    EXPECT_EQ(image.value(splitters) + 1, 12);
    EXPECT_EQ(image.value(consoles), 1);
    EXPECT_EQ(image.value(paging), 1);
    EXPECT_EQ(image.value(music), 1);
    image.setValue(paging, 0);
    EXPECT_EQ(image.byte(32), 0xB5);

    // A count too wide for its field is refused instead of spilling into the
    // flags beside it.
    EXPECT_THROW(image.setValue(consoles, 4), std::out_of_range);
    EXPECT_THROW(image.setValue(paging, 2), std::out_of_range);
    EXPECT_EQ(image.byte(32), 0xB5);
}

TEST(ModuleByte, CountsKeepTheUnusedLowBits)
{
    const TBitRange messages = Layout::MessageModules.at(Layout::SystemNode);
    const TBitRange relays = Layout::RelayModuleCount.at(Layout::SystemNode);
    for (uint8_t low = 0; low < 8; ++low) {
        TImage image;
        image.setByte(33, low);
        image.setValue(relays, 6);
        image.setValue(messages, 3);
        EXPECT_EQ(image.byte(33), 0xF0 | low);
        EXPECT_EQ(image.value(relays), 6);
        EXPECT_EQ(image.value(messages), 3);
    }
    TImage image;
    image.setByte(33, 0x38);
    EXPECT_EQ(image.value(relays), 7); // loaded, no valid count: readable as is
}

TEST(RegionMap, TablesStartAndEndWhereTheControllerExpects)
{
    EXPECT_EQ(Layout::buttonOffset(12), 1554);
    EXPECT_EQ(Layout::buttonOffset(12) + Layout::MaskSize - 1, 1559);
    EXPECT_EQ(Layout::groupOffset(12), 1626);
    EXPECT_EQ(Layout::groupOffset(12) + Layout::MaskSize - 1, 1631);
    EXPECT_EQ(Layout::groupOffset(3), 1572);
    EXPECT_EQ(Layout::stageOffset(1, 1), 48);
    EXPECT_EQ(Layout::stageOffset(1, 5), 96);
    EXPECT_EQ(Layout::recordOffset(2), 108);
    EXPECT_EQ(Layout::stageOffset(24, 5) + Layout::StageSize - 1, 1487);
}

TEST(WholeImage, BlocksClearAndReplace)
{
    TImage image = patterned();
    uint8_t block[32];
    image.blockOut(2016, block);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(block[i], image.byte(2016 + i));
    TImage other;
    other.blockIn(2016, block);
    EXPECT_EQ(changedBytes(TImage(), other).front(), 2016);
    image.clear();
    EXPECT_EQ(image, TImage());
    TImage copy;
    copy.replace(patterned().bytes());
    EXPECT_EQ(copy, patterned());
}
