#include "diag/TFormPort.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStringList>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

QStringList lines(const TFormPort& log)
{
    const QString text = log.memo()->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

const std::array<uint8_t, 5> identify{0x00, 0x01, 0x04, 0x55, 0x74};

} // namespace

TEST(TrafficLog, WindowFurniture)
{
    TFormPort log;
    EXPECT_EQ(log.objectName(), "FormPort");
    EXPECT_EQ(log.windowTitle(), "Port");
    EXPECT_EQ(log.pos(), QPoint(353, 117));
    EXPECT_EQ(log.size(), QSize(354, 480));
    QPlainTextEdit* memo = log.memo();
    ASSERT_EQ(memo, log.findChild<QPlainTextEdit*>("Memo1"));
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(log.isVisible());
}

TEST(TrafficLog, FrameLinesWhileShown)
{
    TFormPort log;
    log.show();
    log.logFrame(identify.data(), static_cast<int>(identify.size()), false, 1);
    const std::array<uint8_t, 3> reply{0xAA, 0x0f, 0xE0};
    log.logFrame(reply.data(), static_cast<int>(reply.size()), true, 12);
    EXPECT_EQ(lines(log), QStringList({"COM1 Write : 0x00 0x01 0x04 0x55 0x74", "COM12 Read  : 0xAA 0x0F 0xE0"}));
}

TEST(TrafficLog, HiddenLogKeepsNotesButNotFrames)
{
    TFormPort log;
    log.logFrame(identify.data(), static_cast<int>(identify.size()), false, 1);
    log.logNote("byte=0027");
    EXPECT_EQ(lines(log), QStringList({"byte=0027"}));

    log.show();
    log.logFrame(identify.data(), static_cast<int>(identify.size()), false, 2);
    log.close();
    EXPECT_FALSE(log.isVisible());
    log.logFrame(identify.data(), static_cast<int>(identify.size()), false, 2);
    log.logNote("------------");
    EXPECT_EQ(lines(log), QStringList({"byte=0027", "COM2 Write : 0x00 0x01 0x04 0x55 0x74", "------------"}));

    // Closing only hides: the text is still there when shown again, seen
    // from the lines' start however long the last note was.
    log.logNote(QStringLiteral("Резервная копия: ") + QString(300, 'x'));
    log.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(lines(log).size(), 4);
    EXPECT_GT(log.memo()->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(log.memo()->horizontalScrollBar()->value(), 0);
}

// A block reply that arrives in three batches, as the link logs it.
TEST(TrafficLog, BlockInThreeBatches)
{
    TFormPort log;
    log.show();
    const std::array<uint8_t, 39> reply{0xAA};
    const int batches[] = {16, 16, 7};
    int at = 0;
    for (int size : batches) {
        log.logFrame(reply.data() + at, size, true, 3);
        log.logNote(QStringLiteral("byte=") + QStringLiteral("%1").arg(size, 4, 16, QLatin1Char('0')).toUpper());
        at += size;
    }
    log.logNote("------------");
    log.logNote("copy to07E0");

    const QStringList got = lines(log);
    ASSERT_EQ(got.size(), 8);
    EXPECT_EQ(got.filter(QRegularExpression("^byte=")).size(), 3);
    EXPECT_EQ(got.filter(QRegularExpression("^COM3 Read  :")).size(), 3);
    EXPECT_EQ(got[0].count(" 0x"), 16);
    EXPECT_EQ(got[4].count(" 0x"), 7);
    EXPECT_EQ(got[5], "byte=0007");
    EXPECT_EQ(got[7], "copy to07E0");
}

TEST(TrafficLog, FrameWithoutBytesIsOnlyTheLabel)
{
    TFormPort log;
    log.show();
    log.logFrame(nullptr, 5, true, 4);
    log.logFrame(identify.data(), 0, false, 4);
    log.logFrame(identify.data(), -3, false, 4);
    EXPECT_EQ(lines(log), QStringList({"COM4 Read  :", "COM4 Write :", "COM4 Write :"}));
}

TEST(TrafficLog, KeepsTheLastLinesAsAScrollBackDoes)
{
    TFormPort log;
    const int total = TFormPort::MaxLines + TFormPort::TrimLines + 1;
    for (int n = 0; n < total; ++n)
        log.logNote(QString::number(n));
    const QStringList kept = lines(log);
    EXPECT_GE(kept.size(), TFormPort::MaxLines);
    EXPECT_LE(kept.size(), TFormPort::MaxLines + TFormPort::TrimLines);
    // The newest lines, in order, the oldest dropped from the top.
    for (int k = 0; k < kept.size(); ++k)
        ASSERT_EQ(kept[k], QString::number(total - static_cast<int>(kept.size()) + k)) << k;
    EXPECT_FALSE(log.memo()->document()->isUndoAvailable());
}

// Shown, the log follows its newest line, also with the notes that came
// before it was first shown; scrolled up by the user, it keeps the lines in
// view until the user goes back to the end.
TEST(TrafficLog, FollowsTheNewestLineUnlessTheUserScrolledUp)
{
    TFormPort log;
    for (int n = 0; n < 100; ++n)
        log.logNote(QString::number(n));
    log.show();
    QCoreApplication::processEvents();
    QScrollBar* bar = log.memo()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    log.logFrame(identify.data(), static_cast<int>(identify.size()), false, 1);
    EXPECT_EQ(bar->value(), bar->maximum());

    QTest::keyClick(log.memo(), Qt::Key_PageUp);
    const int reading = bar->value();
    ASSERT_LT(reading, bar->maximum());
    log.logNote("byte=0027");
    EXPECT_EQ(bar->value(), reading);
    for (int page = 0; page < 4 && bar->value() < bar->maximum(); ++page)
        QTest::keyClick(log.memo(), Qt::Key_PageDown);
    ASSERT_EQ(bar->value(), bar->maximum());
    log.logNote("copy to0000");
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(lines(log).size(), 103);
}
