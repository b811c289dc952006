#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/TFrameChecksum.h"
#include "link/TFrameLine.h"
#include "link/TRequestFrames.h"

namespace {

template <typename Frame> std::vector<uint8_t> bytes(const Frame& f)
{
    return {f.begin(), f.end()};
}

} // namespace

TEST(FrameChecksum, MatchesKnownVectors)
{
    const std::string check = "123456789";
    EXPECT_EQ(TFrameChecksum::over(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xA1);
    TFrameChecksum sum;
    sum.step(0x55);
    sum.reset();
    for (char c : check)
        sum.step(static_cast<uint8_t>(c));
    EXPECT_EQ(sum.value(), 0xA1);
}

TEST(RequestFrames, HaveTheControllersByteLayout)
{
    EXPECT_EQ(bytes(TRequestFrames::identify()), (std::vector<uint8_t>{0x00, 0x01, 0x04, 0x55, 0x74}));
    EXPECT_EQ(bytes(TRequestFrames::read(0x0000)), (std::vector<uint8_t>{0x00, 0x01, 0x06, 0x33, 0x00, 0x00, 0xFE}));
    EXPECT_EQ(bytes(TRequestFrames::read(0x0020)), (std::vector<uint8_t>{0x00, 0x01, 0x06, 0x33, 0x00, 0x20, 0xDD}));
    EXPECT_EQ(bytes(TRequestFrames::read(0x07E0)), (std::vector<uint8_t>{0x00, 0x01, 0x06, 0x33, 0x07, 0xE0, 0x79}));

    const uint8_t zeros[32] = {};
    std::vector<uint8_t> expected = {0x00, 0x01, 0x26, 0x44, 0x00, 0x00};
    expected.resize(38, 0x00);
    expected.push_back(0xCC);
    EXPECT_EQ(bytes(TRequestFrames::write(0x0000, zeros)), expected);
}

TEST(FrameLine, ShowsPortDirectionAndUpperCaseBytes)
{
    const auto identify = TRequestFrames::identify();
    EXPECT_EQ(TFrameLine::format(1, identify.data(), identify.size(), TFrameLine::Direction::Sent),
              "COM1 Write : 0x00 0x01 0x04 0x55 0x74");
    const uint8_t reply[] = {0xAA, 0x0F, 0xE0};
    EXPECT_EQ(TFrameLine::format(12, reply, 3, TFrameLine::Direction::Received), "COM12 Read  : 0xAA 0x0F 0xE0");
    EXPECT_EQ(TFrameLine::format(3, nullptr, 0, TFrameLine::Direction::Received), "COM3 Read  :");
}
