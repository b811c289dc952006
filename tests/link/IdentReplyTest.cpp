#include <gtest/gtest.h>

#include <string>

#include "link/TIdentReply.h"

namespace {

const uint8_t Accepted[] = {0x00, 0x01, 0x0E, 0xAA, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'};

} // namespace

TEST(IdentReply, BuildsTextAndSerialFromAWholeReply)
{
    const TIdentReply reply(Accepted, sizeof Accepted);
    EXPECT_TRUE(reply.accepted());
    EXPECT_EQ(reply.text(), "S/N-ABCD (EF.GH.IJ) ");
    EXPECT_EQ(reply.text().size(), TIdentReply::TextLength);
    EXPECT_EQ(reply.serial(), "ABCD");
}

TEST(IdentReply, ReadsMissingBytesAsZero)
{
    const TIdentReply reply(Accepted, 8);
    EXPECT_TRUE(reply.accepted());
    std::string expected = "S/N-ABCD (EF.GH.IJ) ";
    for (size_t pos : {11u, 12u, 14u, 15u, 17u, 18u}) // one-based positions of the groups
        expected[pos - 1] = '\0';
    EXPECT_EQ(reply.text(), expected);
    EXPECT_EQ(reply.serial(), "ABCD");

    // Too short to carry the status byte at all: refused, and nothing is read past the batch.
    const TIdentReply tiny(Accepted, 3);
    EXPECT_FALSE(tiny.accepted());
    EXPECT_EQ(tiny.serial(), std::string(4, '\0'));
}

TEST(IdentReply, RefusesAnyOtherStatusAndKeepsBytesUnconverted)
{
    uint8_t bytes[14];
    std::copy(std::begin(Accepted), std::end(Accepted), bytes);
    bytes[3] = 0xAB;
    EXPECT_FALSE(TIdentReply(bytes, sizeof bytes).accepted());

    bytes[3] = 0xAA;
    bytes[4] = 0xC0; // Latin-1 / Windows-1251 byte, passed through as it is
    const TIdentReply reply(bytes, sizeof bytes);
    EXPECT_EQ(static_cast<uint8_t>(reply.text()[4]), 0xC0);
}
