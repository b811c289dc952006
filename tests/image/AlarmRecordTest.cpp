#include "image/TAlarmLists.h"
#include "image/TAlarmRecord.h"

#include <gtest/gtest.h>

TEST(AlarmRecord, HeadByteFieldsShareOneByte)
{
    TImage image;
    TAlarmRecord in1(image, 1);
    in1.setEnabled(true);
    in1.setDelayCode(6);
    in1.stage(1).setDuration(2);
    EXPECT_EQ(image.byte(48), 0x98);
    EXPECT_EQ(image.byte(49), 2);
    in1.stage(1).setK1(true);
    in1.stage(1).setK2(true);
    EXPECT_EQ(image.byte(48), 0x9B);
    in1.setEnabled(false);
    EXPECT_EQ(image.byte(48), 0x1B);
    EXPECT_EQ(in1.delayCode(), 6);
    EXPECT_TRUE(in1.stage(1).k1());
    EXPECT_TRUE(in1.stage(1).k2());
}

TEST(AlarmRecord, MessageCodeKeepsTheLowBits)
{
    TImage image;
    TStageRecord stage = TAlarmRecord(image, 3).stage(2);
    image.setByte(stage.offset() + 2, 0x07);
    stage.setMessageCode(2 * 8 + 4); // MS3-2, message 5
    EXPECT_EQ(image.byte(stage.offset() + 2), 0xA7);
    EXPECT_EQ(stage.messageSource(), 2);
    EXPECT_EQ(stage.messageNumber(), 5);
    image.setByte(stage.offset() + 2, 0xFF);
    EXPECT_EQ(stage.messageSource(), 3);
    EXPECT_EQ(stage.messageNumber(), 8);
}

TEST(AlarmRecord, RelayAndOutputBits)
{
    TImage image;
    TStageRecord stage = TAlarmRecord(image, 1).stage(1);
    stage.setRelayBit(Layout::relayBit(4, 3), true);
    EXPECT_EQ(image.byte(48 + 10), 0x02);
    stage.setRelayBit(Layout::relayBit(6, 4), true);
    EXPECT_EQ(image.byte(48 + 11), 0x01);
    stage.setOutputBit(Layout::outputBit(1, 1), true);
    EXPECT_EQ(image.byte(48 + 3), 0x80);
    stage.setOutputBit(Layout::outputBit(12, 4), true);
    EXPECT_EQ(image.byte(48 + 8), 0x01);
}

TEST(AlarmRecord, CopiesTakeTheirBytesAndNeverK1K2)
{
    TImage image;
    TAlarmRecord rec(image, 5);
    for (int i = 0; i < 12; ++i)
        image.setByte(rec.stage(2).offset() + i, static_cast<uint8_t>(0xA0 + i));
    image.setByte(rec.stage(3).offset(), 0x02);
    rec.stage(3).copyTimeAndMessage(rec.stage(2));
    rec.stage(3).copyOutputs(rec.stage(2));
    rec.stage(3).copyRelays(rec.stage(2));
    EXPECT_EQ(image.byte(rec.stage(3).offset()), 0x02);
    for (int i = 1; i < 12; ++i)
        EXPECT_EQ(image.byte(rec.stage(3).offset() + i), 0xA0 + i) << i;
}

TEST(AlarmLists, DelayListSkipsFromFourToFiveFifteen)
{
    EXPECT_EQ(TAlarmLists::delayEntry(0), "00:00");
    EXPECT_EQ(TAlarmLists::delayEntry(6), "01:30");
    EXPECT_EQ(TAlarmLists::delayEntry(16), "04:00");
    EXPECT_EQ(TAlarmLists::delayEntry(17), "05:15");
    EXPECT_EQ(TAlarmLists::delayEntry(26), "07:30");
    EXPECT_THROW(TAlarmLists::delayEntry(27), std::out_of_range);
}

TEST(AlarmLists, DurationListAndCodes)
{
    EXPECT_EQ(TAlarmLists::durationEntry(0), "00:00");
    EXPECT_EQ(TAlarmLists::durationEntry(2), "00:30");
    EXPECT_EQ(TAlarmLists::durationEntry(240), "60:00");
    EXPECT_EQ(TAlarmLists::durationEntry(241), "неограниченно");
    EXPECT_THROW(TAlarmLists::durationEntry(242), std::out_of_range);
    EXPECT_EQ(TAlarmLists::durationForEntry(241), 255);
    EXPECT_EQ(TAlarmLists::durationForEntry(17), 17);
    EXPECT_EQ(TAlarmLists::entryForDuration(241), 241);
    EXPECT_EQ(TAlarmLists::entryForDuration(254), 241);
    EXPECT_EQ(TAlarmLists::entryForDuration(240), 240);
}
