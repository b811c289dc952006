// kt7tool on the line: identify, read, write with its backup and verify
// against kt7sim, and every way the line can fail.

#include "image/ImageLayout.h"
#include "link/FrameLayout.h"
#include "link/TFrameChecksum.h"
#include "project/TImageFile.h"
#include "tests/support/TSimProcess.h"
#include "tests/tool/TToolRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// A pattern in every byte, so that every block differs between two seeds,
// kept a configuration the check passes: every unit present, each algorithm
// switched off (its other bytes are not looked at), outputs anywhere.
TImage patterned(int seed)
{
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>((i * 7 + seed) ^ (i >> 3)));
    image.setByte(Layout::CompositionByte, 0xBF);
    image.setByte(Layout::ModuleByte, static_cast<uint8_t>(0xF0 | (image.byte(Layout::ModuleByte) & 0x07)));
    for (int i = 0; i < Layout::InputCount; ++i) {
        const int head = Layout::AlarmRecords + i * Layout::RecordSize;
        image.setByte(head, static_cast<uint8_t>(image.byte(head) & 0x7F));
    }
    return image;
}

// The number of leading blocks of the dump that hold the new image, when all
// the others hold the old one; -1 when it is no such mix.
int blocksFrom(const TImage& dump, const TImage& now, const TImage& old)
{
    const auto same = [&](const TImage& image, int b) {
        for (int i = b * TImage::BlockSize; i < (b + 1) * TImage::BlockSize; ++i)
            if (dump.byte(i) != image.byte(i))
                return false;
        return true;
    };
    int n = 0;
    while (n < TImage::Size / TImage::BlockSize && same(now, n))
        ++n;
    for (int b = n; b < TImage::Size / TImage::BlockSize; ++b)
        if (!same(old, b))
            return -1;
    return n;
}

// A new project, which the configuration check passes, with the pattern in
// the bytes the tool keeps but does not use.
TImage passing(int seed)
{
    const TImage pattern = patterned(seed);
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        if (i < Layout::CompositionByte || (i >= 40 && i < Layout::AlarmRecords) || i >= Layout::FirstUnused)
            image.setByte(i, pattern.byte(i));
    return image;
}

class ToolLine : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QString store(const QString& name, const TImage& image) const
    {
        EXPECT_TRUE(TImageFile::write(path(name).toStdString(), image).ok());
        return path(name);
    }
    TImage load(const QString& name) const { return loadAt(path(name)); }
    static TImage loadAt(const QString& file)
    {
        TImage image;
        EXPECT_TRUE(TImageFile::read(file.toStdString(), image).ok()) << file.toStdString();
        return image;
    }
    // The tool on the simulator's line, unpaced, with short time-outs.
    TToolRun tool(const TSimProcess& sim, QStringList arguments, const QByteArray& input = {},
                  const QString& outputFile = {}, long fileLimit = 0) const
    {
        arguments << "--device" << sim.device() << "--timeout"
                  << "300";
        return TToolRun::of(arguments, path("data"), input, outputFile, fileLimit);
    }
    QStringList backups() const { return QDir(path("data/kt7config/backups")).entryList(QDir::Files); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ToolLine, IdentifyReadWriteWithBackupAndVerify)
{
    const TImage before = patterned(3);
    const TImage after = patterned(90);
    store("before.usr", before);
    store("after.usr", after);
    TSimProcess sim(
        {"--baud", "0", "--image", path("before.usr"), "--dump", path("dump.usr"), "--serial", "ABCDEFGHIJ"});

    TToolRun run = tool(sim, {"identify"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "S/N-ABCD (EF.GH.IJ)\n");

    run = tool(sim, {"read", path("read.usr")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(load("read.usr"), before);
    EXPECT_TRUE(run.out.isEmpty());

    run = tool(sim, {"verify", path("before.usr")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    run = tool(sim, {"verify", path("before.usr"), "-v"});
    EXPECT_TRUE(run.err.endsWith("s, 0 asked for again\nkt7tool: the controller holds " + path("before.usr") + "\n"))
        << run.err.toStdString();

    // The write keeps what the controller held, then checks it all back.
    run = tool(sim, {"write", path("after.usr"), "--verify", "--quiet", "--force"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_EQ(backups().size(), 1);
    EXPECT_TRUE(backups()[0].startsWith("ABCDEFGHIJ-")) << backups()[0].toStdString();
    EXPECT_EQ(load("data/kt7config/backups/" + backups()[0]), before);
    {
        // That write left the controller whole: a write whose read stops
        // has no earlier write to tell of.
        TSimProcess cut(
            {"--baud", "0", "--image", path("after.usr"), "--silent-after", "10", "--serial", "ABCDEFGHIJ"});
        EXPECT_EQ(tool(cut, {"write", path("before.usr")}).err,
                  "kt7tool: " + cut.device()
                      + ": block 0x0140: no reply within 300 ms (3 tries) while keeping the backup; nothing was "
                        "written to the controller\n");
    }

    run = tool(sim, {"verify", path("before.usr"), "-v"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains("Байт 0x07FF: ")) << run.out.toStdString();
    EXPECT_FALSE(run.err.contains("holds")) << run.err.toStdString();

    run = tool(sim, {"write", path("before.usr"), "--no-backup", "--force"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(backups().size(), 1);
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(load("dump.usr"), before);

    // The controller's bytes reach no terminal as control characters.
    TSimProcess odd({"--baud", "0", "--serial",
                     QString::fromLatin1("\x1b\x7f"
                                         "CDEFGHIJ")});
    EXPECT_EQ(tool(odd, {"identify"}).out, "S/N-\\x1b\\x7fCD (EF.GH.IJ)\n");
    EXPECT_TRUE(
        tool(odd, {"read", path("odd.usr"), "-v"}).err.startsWith("kt7tool: " + odd.device() + ": S/N-\\x1b\\x7fCD"));
}

TEST_F(ToolLine, WriteRefusesAWrongSizeKeepsEveryBackupAndSendsNothingTheControllerHolds)
{
    const TImage first = passing(11);
    const TImage second = passing(12);
    store("first.usr", first);
    store("second.usr", second);
    QFile shortFile(path("short.usr"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(20, '\x11'));
    shortFile.close();
    TSimProcess sim({"--baud", "0", "--dump", path("dump.usr"), "--serial", "ABCDEFGHIJ"});

    TToolRun run = tool(sim, {"write", path("short.usr")});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.startsWith("kt7tool: " + path("short.usr") + ": 20 bytes, not 2048;")) << run.err.toStdString();
    EXPECT_TRUE(backups().isEmpty());

    // Two writes within a second: each keeps what the controller held, in a
    // file of its own, and names it last even though standard error is no terminal.
    QStringList printed;
    for (const QString& image : {path("first.usr"), path("second.usr")}) {
        run = tool(sim, {"write", image});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        const QStringList lines = run.err.split('\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty());
        ASSERT_TRUE(lines.last().startsWith("kt7tool: backup of the controller in ")) << run.err.toStdString();
        printed << lines.last().mid(QStringLiteral("kt7tool: backup of the controller in ").size());
    }
    ASSERT_EQ(backups().size(), 2);
    EXPECT_EQ(loadAt(printed[0]), TImage());
    EXPECT_EQ(loadAt(printed[1]), first);

    // The controller holds it already: nothing is sent and nothing kept,
    // unless --always.
    run = tool(sim, {"write", path("second.usr")});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.err.contains("already holds")) << run.err.toStdString();
    EXPECT_EQ(backups().size(), 2);
    run = tool(sim, {"write", path("second.usr"), "--always", "--quiet"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(backups().size(), 3);
    // What the newest backup of the controller holds is not kept again.
    run = tool(sim, {"write", path("second.usr"), "--always"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(backups().size(), 3);
    const QString newest = run.err.section("kt7tool: backup of the controller in ", 1).trimmed();
    EXPECT_EQ(loadAt(newest), second);

    // Listed newest first, serial, time, path and why each was kept.
    run = TToolRun::of({"backups"}, path("data"));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList listed = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(listed.size(), 3);
    const QRegularExpression line("^ABCDEFGHIJ\t\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ\t(.+)\twrite$");
    QStringList paths;
    for (const QString& l : listed) {
        const QRegularExpressionMatch m = line.match(l);
        ASSERT_TRUE(m.hasMatch()) << l.toStdString();
        paths << m.captured(1);
    }
    EXPECT_EQ(paths.mid(1), QStringList({printed[1], printed[0]}));
    EXPECT_EQ(loadAt(paths[0]), second);

    // Under a file-size limit the write keeps no part of a backup and sends
    // nothing, a read leaves no part of its file; neither is a signal's end.
    // Nothing but what the store writes is listed: a whole backup of a valid
    // time in a regular file, with no count it never gives.
    const QString kept = path("data/kt7config/backups/");
    ASSERT_TRUE(QDir().mkpath(kept + "KT7S010203-20261208T072724Z.usr"));
    ASSERT_TRUE(QFile::link(path("gone"), kept + "KT7S010203-20261208T072725Z.usr"));
    ASSERT_TRUE(QFile::link(printed[0], kept + "KT7S010203-20261208T072728Z.usr"));
    QFile tiny(kept + "KT7S010203-20261208T072726Z.usr");
    ASSERT_TRUE(tiny.open(QIODevice::WriteOnly) && tiny.write("x", 1) == 1);
    tiny.close();
    for (const char* name :
         {"20261399T072727Z", "20261208T072729Z-0", "20261208T072729Z-1", "20261208T072729Z-02", "00000101T000000Z"})
        ASSERT_TRUE(QFile::copy(path("first.usr"), kept + "KT7S010203-" + name + ".usr"));
    const QStringList entries = QDir(kept).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    ASSERT_EQ(tool(sim, {"write", path("first.usr"), "--no-backup"}).status, 0);
    run = tool(sim, {"write", path("second.usr")}, {}, {}, 1024);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("File too large (nothing was written to the controller)")) << run.err.toStdString();
    run = tool(sim, {"read", path("limited.usr")}, {}, {}, 1024);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(QDir(path(".")).entryList({"limited.usr*"}), QStringList());
    EXPECT_EQ(QDir(kept).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), entries);
    EXPECT_EQ(TToolRun::of({"backups"}, path("data")).out.split('\n', Qt::SkipEmptyParts).size(), 3);

    // Forced, the short file is written as the rest zeros.
    run = tool(sim, {"write", path("short.usr"), "--force", "--no-backup"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_TRUE(sim.finish());
    TImage padded;
    for (int i = 0; i < 20; ++i)
        padded.setByte(i, 0x11);
    EXPECT_EQ(load("dump.usr"), padded);
}

TEST_F(ToolLine, BlockWithBadChecksumOrEchoAndAControllerFallingSilent)
{
    const TImage image = patterned(5);
    store("image.usr", image);
    {
        // A damaged reply is asked for again and the read completes.
        TSimProcess sim({"--baud", "0", "--image", path("image.usr"), "--bad-checksum", "3"});
        const TToolRun run = tool(sim, {"read", path("read.usr")});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(load("read.usr"), image);
    }
    {
        // An echo that differs is named; the rest is still written.
        TSimProcess sim({"--baud", "0", "--corrupt-echo", "5", "--dump", path("dump.usr")});
        const TToolRun run = tool(sim, {"write", path("image.usr"), "--no-backup", "--force"});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains("block 0x00A0: the echo differs")) << run.err.toStdString();
        ASSERT_TRUE(sim.finish());
        EXPECT_EQ(load("dump.usr"), image);
    }
    {
        // Silence after five blocks: three tries of block 0x00A0, then an
        // error; the file that was there stays as it was.
        const TImage old = patterned(77);
        store("kept.usr", old);
        TSimProcess sim({"--baud", "0", "--silent-after", "5"});
        const TToolRun run = tool(sim, {"read", path("kept.usr")});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "kt7tool: " + sim.device() + ": block 0x00A0: no reply within 300 ms (3 tries)\n");
        EXPECT_EQ(load("kept.usr"), old);
        EXPECT_EQ(QDir(path("")).entryList(QDir::Files),
                  QStringList({"dump.usr", "image.usr", "kept.usr", "read.usr"}));
    }
}

TEST_F(ToolLine, FaultsEndWithOneLineAndStatus2)
{
    store("image.usr", patterned(1));
    const auto oneLine = [](const TToolRun& run) {
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.startsWith("kt7tool: ")) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        return run.err.toStdString();
    };
    {
        TSimProcess sim({"--baud", "0", "--refuse-identify"});
        EXPECT_NE(oneLine(tool(sim, {"read", path("r.usr")})).find("refused identification"), std::string::npos);
        EXPECT_FALSE(QFile::exists(path("r.usr")));
    }
    for (const char* cut : {"3", "14"}) {
        // Neither a refusal nor an answer: the reply stopped short.
        TSimProcess sim({"--baud", "0", "--cut-identify", cut});
        EXPECT_EQ(oneLine(tool(sim, {"identify"})),
                  "kt7tool: " + sim.device().toStdString() + ": incomplete identify reply (" + cut + " of 15 bytes)\n");
    }
    {
        TSimProcess sim({"--baud", "0", "--wrong-address", "0x40:0x800"});
        EXPECT_NE(oneLine(tool(sim, {"read", path("r.usr")}))
                      .find("block 0x0040: the reply carries address 0x0800, outside the image (3 tries)"),
                  std::string::npos);
        EXPECT_FALSE(QFile::exists(path("r.usr")));
    }
    {
        // The line goes away in the middle of the write (backup: 64 replies, then 6 more).
        TSimProcess sim({"--baud", "0", "--close-after", "70"});
        const std::string err = oneLine(tool(sim, {"write", store("new.usr", patterned(31))}));
        EXPECT_NE(err.find("the line went away"), std::string::npos) << err;
        EXPECT_NE(err.find("write cut short after 6 of 64 blocks, 7 if the controller took block 0x00C0 before its "
                           "reply failed, the controller holds a mixed configuration (6 of the 64 blocks the write "
                           "changes written, 57 not, block 0x00C0 unknown); its earlier configuration is in "),
                  std::string::npos)
            << err;
        ASSERT_EQ(backups().size(), 1);
        EXPECT_NE(err.find(backups()[0].toStdString()), std::string::npos) << err;
        // Lost on the first block: the controller may hold that one.
        TSimProcess first({"--baud", "0", "--close-after", "64"});
        EXPECT_NE(oneLine(tool(first, {"write", path("new.usr")}))
                      .find("after 0 of 64 blocks, 1 if the controller took block 0x0000 before its reply failed, the "
                            "controller may hold its earlier configuration (if it did not take block 0x0000) or a "
                            "mixed one with that block new;"),
                  std::string::npos);
    }
    {
        EXPECT_NE(oneLine(TToolRun::of({"identify", "--device", path("none")})).find("No such file or directory"),
                  std::string::npos);
        const TSimProcess silent({"--baud", "0", "--silent-after", "0"});
        EXPECT_NE(oneLine(tool(silent, {"read", path("r.usr")})).find("block 0x0000: no reply"), std::string::npos);
        // Three whole replies came, each a late one to the block before.
        const TSimProcess behind({"--baud", "0", "--wrong-address", "0x20:0x0"});
        EXPECT_NE(oneLine(tool(behind, {"read", path("r.usr")}))
                      .find("block 0x0020: only a reply to block 0x0000, the block before, within 300 ms (3 tries)"),
                  std::string::npos);
        oneLine(TToolRun::of({"read", path("r.usr")})); // no port
        EXPECT_EQ(oneLine(TToolRun::of({"restore", path("image.usr")})),
                  "kt7tool: restore: name the port with --com N or --device PATH\n");
        // A file that cannot be made is told before the port is opened.
        EXPECT_EQ(oneLine(TToolRun::of({"read", path("no/r.usr"), "--device", path("none")})),
                  "kt7tool: " + path("no/r.usr").toStdString() + ": No such file or directory; nothing was read\n");
        // So is anything but a regular file to be.
        ASSERT_TRUE(QDir().mkdir(path("folder.usr")));
        ASSERT_EQ(::mkfifo(path("fifo.usr").toLocal8Bit().constData(), 0600), 0);
        for (const auto& [target, why] : std::vector<std::pair<QString, std::string>>{
                 {path("folder.usr"), "Is a directory"},
                 {path("fifo.usr"), "a FIFO, not a file (- writes the image to standard output)"},
                 {"/proc/self/comm", "a file of the kernel (/proc or /sys), not a place for an image"},
                 {"/dev/null", "a device or socket, not a file"}})
            EXPECT_EQ(oneLine(TToolRun::of({"read", target, "--device", path("none")})),
                      "kt7tool: " + target.toStdString() + ": " + why + "; nothing was read\n");
        EXPECT_EQ(oneLine(TToolRun::of({"identify", "--com"})), "kt7tool: --com needs a value\n");
        // The highest COM number, through a link whose device is gone.
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", path("config").toLocal8Bit());
        ASSERT_TRUE(QDir().mkpath(path("config/kt7config/ports")));
        ASSERT_TRUE(QFile::link(path("gone"), path("config/kt7config/ports/com255")));
        const std::string stale = oneLine(TToolRun::of({"identify", "--com", "255"}));
        qputenv("XDG_CONFIG_HOME", config);
        EXPECT_EQ(stale,
                  "kt7tool: COM255: " + path("config/kt7config/ports/com255").toStdString() + " points at "
                      + path("gone").toStdString() + ", which does not exist\n");
        oneLine(TToolRun::of({"frobnicate"})); // no such command
        EXPECT_NE(oneLine(TToolRun::of({"read", "r.usr", "--device", "d", "--quiet", "-v"})).find("--quiet and -v"),
                  std::string::npos);
        EXPECT_NE(oneLine(TToolRun::of({"identify", "--device", "d", "--com", "1"})).find("--com and --device"),
                  std::string::npos);
        EXPECT_NE(oneLine(TToolRun::of({"diff", "-", "-"})).find("one file only"), std::string::npos);
        oneLine(TToolRun::of({"show", path("image.usr"), "--bogus"}));
        oneLine(TToolRun::of({"show", path("missing.usr")}));
        EXPECT_FALSE(QFile::exists(path("r.usr")));
        const TToolRun version = TToolRun::of({"--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_TRUE(version.out.startsWith("kt7tool ")) << version.out.toStdString();
    }
}

TEST_F(ToolLine, SurplusBytesAfterEveryReplyAreNeverTakenForAReply)
{
    const TImage before = patterned(8);
    const TImage after = patterned(51);
    store("before.usr", before);
    store("after.usr", after);
    // Unpaced, the surplus waits in the port when the next request goes out;
    // paced, it arrives after it.
    for (const char* baud : {"0", "38400"}) {
        for (const char* surplus : {"1", "3"}) {
            SCOPED_TRACE(std::string("baud ") + baud + ", surplus " + surplus);
            TSimProcess sim(
                {"--baud", baud, "--surplus", surplus, "--image", path("before.usr"), "--dump", path("dump.usr")});
            TToolRun run = tool(sim, {"read", path("read.usr")});
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.err, "") << "every reply taken at the first request";
            EXPECT_EQ(load("read.usr"), before);
            run = tool(sim, {"write", path("after.usr")});
            EXPECT_EQ(run.status, 0);
            // The backup's path and nothing else: no reply was asked for again.
            EXPECT_TRUE(run.err.startsWith("kt7tool: backup of the controller in ") && run.err.count('\n') == 1)
                << run.err.toStdString();
            ASSERT_TRUE(sim.finish());
            EXPECT_EQ(load("dump.usr"), after);
        }
    }
}

TEST_F(ToolLine, RetriesTimeOutsAndWhatAFailedWriteLeaves)
{
    const TImage old = patterned(2);
    const TImage image = patterned(40);
    store("old.usr", old);
    store("image.usr", image);
    {
        // The third try of a block still counts, after damaged replies or
        // replies for another block.
        TSimProcess sim(
            {"--baud", "0", "--image", path("image.usr"), "--bad-checksum", "5:2", "--wrong-address", "0x40:0x80:2"});
        const TToolRun run = tool(sim, {"read", path("read.usr")});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err.toStdString(),
                  "kt7tool: warning: " + sim.device().toStdString()
                      + ": 4 replies were late or damaged and asked for again\n");
        EXPECT_EQ(load("read.usr"), image);
    }
    {
        // Every reply to block 0x0060 is damaged, but each of its requests
        // reached the controller, which holds it.
        TSimProcess sim(
            {"--baud", "0", "--image", path("old.usr"), "--bad-checksum", "3:3", "--dump", path("dump.usr")});
        const TToolRun run = tool(sim, {"write", path("image.usr"), "--no-backup"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err.toStdString(),
                  "kt7tool: " + sim.device().toStdString()
                      + ": block 0x0060: reply with a wrong checksum (3 tries); write cut short after 3 of 64 "
                        "blocks, 4 if the controller took block 0x0060 before its reply failed, the controller was "
                        "not read before the write (--no-backup), so what it holds now is unknown: the new "
                        "configuration if its other blocks held it already, a mixed one otherwise (no backup was "
                        "kept)\n");
        ASSERT_TRUE(sim.finish());
        EXPECT_EQ(blocksFrom(load("dump.usr"), image, old), 4);
    }
    {
        // At 1200 bit/s a write request and its reply take 650 ms on the
        // line; the time-out is only the controller's turn-around (and the
        // simulator's, on a loaded machine). The write before may have left
        // the controller mixed: remembered, but unread it is told as may be.
        TSimProcess sim(
            {"--baud", "1200", "--image", path("old.usr"), "--silent-after", "1", "--dump", path("dump.usr")});
        const TToolRun run = TToolRun::of(
            {"write", path("image.usr"), "--no-backup", "--device", sim.device(), "--baud", "1200", "--timeout", "200"},
            path("data"));
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err.toStdString(),
                  "kt7tool: " + sim.device().toStdString()
                      + ": block 0x0020: no reply within 200 ms (3 tries); write cut short after 1 of 64 "
                        "blocks, 2 if the controller took block 0x0020 before its reply failed, the controller was "
                        "not read before the write (--no-backup), so what it holds now is unknown: the new "
                        "configuration if its other blocks held it already, a mixed one otherwise; an earlier write "
                        "that did not finish may have left it mixed already (it was not read before this write) (no "
                        "backup was kept)\n");
        ASSERT_TRUE(sim.finish());
        EXPECT_EQ(blocksFrom(load("dump.usr"), image, old), 1);
    }
    for (const bool keepBackup : {false, true}) {
        // An echo that tells of a write the controller did not keep: the
        // read-back finds it, and where a backup was kept, the way back is
        // told as for an echo that differs (of a controller no write before
        // left mixed).
        TSimProcess sim({"--baud", "0", "--image", path("old.usr"), "--drop-write", "7", "--serial",
                         keepBackup ? "KT7S999999" : "KT7S010203"});
        QStringList arguments = {"write", path("image.usr"), "--verify", "--quiet"};
        if (!keepBackup)
            arguments << "--no-backup";
        const TToolRun run = tool(sim, arguments);
        EXPECT_EQ(run.status, 1);
        if (keepBackup)
            EXPECT_TRUE(run.err.startsWith("kt7tool: the controller may hold another configuration than the one "
                                           "written; its earlier configuration is in "))
                << run.err.toStdString();
        else
            EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.err.count('\n'), keepBackup ? 1 : 0);
        // Block 7 (0x00E0..0x00FF) lies in a switched-off algorithm: its
        // bytes are told as bytes.
        EXPECT_TRUE(run.out.startsWith("Байт 0x00E0: ")) << run.out.toStdString();
    }
}

TEST_F(ToolLine, LateReplyIsNeitherCutIntoARetryNorTakenForTheNextBlock)
{
    // Block 3 carries what looks like the start of a reply near its end,
    // where the tail of its late reply comes in.
    TImage image = patterned(6);
    for (const int at : {3 * 32 + 18, 3 * 32 + 26}) {
        image.setByte(at, 0x00);
        image.setByte(at + 1, 0x01);
        image.setByte(at + 2, 0x26);
    }
    store("image.usr", image);
    {
        // Its reply ends past the time-out: the retry waits for the line to
        // go quiet.
        TSimProcess sim({"--baud", "9600", "--image", path("image.usr"), "--late", "3:330"});
        const TToolRun run = tool(sim, {"read", path("read.usr")});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(load("read.usr"), image);
    }
    {
        // Its reply comes after the retry went out, and then the retry's own
        // reply, while the next block is asked for.
        const TImage old = patterned(60);
        store("old.usr", old);
        TSimProcess sim({"--baud", "19200", "--image", path("old.usr"), "--late", "3:500", "--dump", path("dump.usr")});
        const TToolRun run = tool(sim, {"write", path("image.usr"), "--no-backup"});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        ASSERT_TRUE(sim.finish());
        EXPECT_EQ(load("dump.usr"), image);
    }
}

TEST_F(ToolLine, PortIsGivenBackAsFoundAndAnotherReaderIsNoHangup)
{
    store("image.usr", patterned(9));
    TSimProcess sim({"--baud", "38400", "--image", path("image.usr")});
    const QByteArray device = sim.device().toLocal8Bit();
    const int other = ::open(device.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(other, 0);
    termios found{};
    ASSERT_EQ(tcgetattr(other, &found), 0);
    TToolRun run = tool(sim, {"read", path("read.usr")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    int exclusive = -1;
    EXPECT_EQ(::ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    termios after{};
    ASSERT_EQ(tcgetattr(other, &after), 0);
    EXPECT_EQ(after.c_cflag, found.c_cflag);
    EXPECT_EQ(after.c_lflag, found.c_lflag);
    EXPECT_EQ(after.c_cc[VMIN], found.c_cc[VMIN]);

    // A program that reads the port without a lock takes bytes of the
    // replies: whatever the tool then says, the line has not gone away.
    std::atomic<bool> stop{false};
    std::thread thief([&] {
        char sink[256];
        for (unsigned turn = 0; !stop; ++turn) {
            pollfd p{other, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            // Sometimes first, sometimes after the tool.
            std::this_thread::sleep_for(std::chrono::microseconds(turn * 37 % 400));
            (void)!::read(other, sink, sizeof sink);
        }
    });
    for (int i = 0; i < 4; ++i) {
        run = tool(sim, {"read", path("read.usr")});
        EXPECT_TRUE(run.status == 0 || run.status == 2) << run.status;
        EXPECT_FALSE(run.err.contains("went away")) << run.err.toStdString();
    }
    stop = true;
    thief.join();
    ::close(other);
}

// A controller that answers identify and then fills the line with noise,
// driven by hand on a pseudo-terminal of the test's own: the tool waits for a
// quiet line before each repeat, but not beyond its time-outs.
TEST_F(ToolLine, ANoisyLineIsNotWaitedForForGood)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString device = QString::fromLocal8Bit(::ptsname(master));
    std::atomic<bool> stop{false};
    std::thread line([&] {
        for (int asked = 0; asked < Frame::IdentifySize && !stop;) {
            pollfd p{master, POLLIN, 0};
            char bytes[64];
            const ssize_t n = ::poll(&p, 1, 50) > 0 ? ::read(master, bytes, sizeof bytes) : 0;
            asked += n > 0 ? static_cast<int>(n) : 0;
        }
        uint8_t reply[Frame::IdentifyReplySize]
            = {0x00, 0x01, Frame::IdentifyReplySize - 1, Frame::StatusAccepted, 'K', 'T', '7', 'S', '0', '1', '0', '2',
               '0',  '3'};
        reply[Frame::IdentifyReplySize - 1] = TFrameChecksum::over(reply, Frame::IdentifyReplySize - 1);
        (void)!::write(master, reply, sizeof reply);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!stop && std::chrono::steady_clock::now() < end) {
            (void)!::write(master, "\xff", 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    QElapsedTimer took;
    took.start();
    const TToolRun run = TToolRun::of({"read", path("r.usr"), "--device", device, "--timeout", "300"});
    stop = true;
    line.join();
    ::close(master);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("block 0x0000: no reply within 300 ms")) << run.err.toStdString();
    EXPECT_LT(took.elapsed(), 15000);
}

TEST_F(ToolLine, StopSignalsEndBetweenBlocksAndSayWhatTheControllerHolds)
{
    const TImage old = patterned(12);
    const TImage image = patterned(70);
    store("old.usr", old);
    store("image.usr", image);
    struct Case {
        int signal;
        bool write;
        bool backup;
        int afterMs; // at 9600 bit/s the backup takes 3 s, the write 5 s, a read 3 s
    };
    for (const Case& c : {Case{SIGINT, true, true, 4500}, Case{SIGTERM, true, false, 2000},
                          Case{SIGHUP, true, false, 2500}, Case{SIGINT, false, false, 1500}}) {
        SCOPED_TRACE(c.signal);
        store("read.usr", old);
        TSimProcess sim({"--baud", "9600", "--image", path("old.usr"), "--dump", path("dump.usr")});
        // A reply later than the time-out leaves its block in doubt when the
        // signal comes before the request goes out again; on a loaded machine
        // the simulator may be that late, so the time-out is ample.
        QStringList arguments = {c.write ? "write" : "read",
                                 path(c.write ? "image.usr" : "read.usr"),
                                 "--device",
                                 sim.device(),
                                 "--quiet",
                                 "--timeout",
                                 "2000"};
        if (c.write && !c.backup)
            arguments << "--no-backup";
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", path("data"));
        tool.setProcessEnvironment(env);
        tool.start(KT7TOOL_PATH, arguments);
        ASSERT_TRUE(tool.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(c.afterMs));
        // A second signal, and another one, while the first is being handled
        // change nothing.
        const auto pid = static_cast<pid_t>(tool.processId());
        ::kill(pid, c.signal);
        QThread::msleep(20);
        ::kill(pid, c.signal);
        ::kill(pid, c.signal == SIGTERM ? SIGINT : SIGTERM);
        ASSERT_TRUE(tool.waitForFinished(20000));
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tool.exitCode(), 128 + c.signal);
        const QString err = QString::fromUtf8(tool.readAllStandardError());
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        const QString name = c.signal == SIGINT ? "SIGINT" : c.signal == SIGTERM ? "SIGTERM" : "SIGHUP";
        EXPECT_TRUE(err.startsWith("kt7tool: " + sim.device() + ": stopped by " + name + "")) << err.toStdString();
        ASSERT_TRUE(sim.finish());
        if (!c.write) {
            EXPECT_TRUE(err.contains(QRegularExpression("; read cut short after \\d+ of 64 blocks, "
                                                        + QRegularExpression::escape(path("read.usr"))
                                                        + " is left as it was\n$")))
                << err.toStdString();
            EXPECT_EQ(load("read.usr"), old);
            continue;
        }
        // The exchange under way was finished: the count is exact.
        EXPECT_FALSE(err.contains(" if the controller took")) << err.toStdString();
        // Unread first, what the controller holds is not known.
        const QRegularExpressionMatch cut
            = QRegularExpression(QStringLiteral("; write cut short after (\\d+) of 64 blocks, the controller ")
                                 + (c.backup ? "holds a mixed configuration" : "was not read before the write"))
                  .match(err);
        const int claimed = cut.hasMatch() ? cut.captured(1).toInt() : 0;
        EXPECT_LT(claimed, 64);
        if (!cut.hasMatch()) {
            EXPECT_TRUE(err.contains("; nothing was written")) << err.toStdString();
        }
        EXPECT_EQ(blocksFrom(load("dump.usr"), image, old), claimed) << err.toStdString();
        if (c.backup && cut.hasMatch()) {
            ASSERT_EQ(backups().size(), 1);
            const QString backup = path("data/kt7config/backups/" + backups()[0]);
            EXPECT_TRUE(err.endsWith("; its earlier configuration is in " + backup
                                     + ", restore it with: kt7tool restore " + backup + " --device " + sim.device()
                                     + " --timeout 2000\n"))
                << err.toStdString();
            EXPECT_EQ(load("data/kt7config/backups/" + backups()[0]), old);
        }
    }
}

// What a write cut short remembers yields to what the controller holds, as
// users meet it: after the first write, another user writes a whole
// configuration, or runs the restore command it printed, or nothing
// happens; the next write is cut short too. Its message and the command it
// prints, run literally by another user, put back what the controller held
// just before it: the configuration before the first write only while the
// controller still holds a mix of the two. A write without a backup says
// what it sent and that what the controller holds is not known.
TEST_F(ToolLine, AMarkOfAWriteCutShortYieldsToWhatTheControllerHolds)
{
    const TImage earlier = patterned(13);
    const TImage project = patterned(14);
    store("project.usr", project);
    store("other.usr", patterned(15));
    store("next.usr", patterned(16));
    const QString line = path("line");
    const QString unread = "the controller was not read before the write (--no-backup), so what it holds now is "
                           "unknown: the new configuration if its other blocks held it already, a mixed one otherwise";
    enum class Between { Nothing, OtherWrites, OtherRestores };
    struct Case {
        const char* what;
        bool noBackup; // the first write keeps none
        bool equal;    // the controller holds the project already
        Between between;
        QString first;  // said of the first write
        QString next;   // said by the next, before its way back
        bool toEarlier; // the way back is the configuration before the first write
    };
    const Case cases[] = {
        {"still mixed", false, false, Between::Nothing,
         "the controller holds a mixed configuration (20 of the 64 blocks the write changes written, 43 not",
         "(10 of the 64 blocks the write changes written, 53 not, block 0x0140 unknown); an earlier write had left "
         "it mixed already; its earlier configuration is in ",
         true},
        {"another user's whole write", false, false, Between::OtherWrites, "",
         "unknown); its earlier configuration is in ", false},
        {"another user's restore", false, false, Between::OtherRestores, "",
         "unknown); its earlier configuration is in ", false},
        {"no backup, the same configuration", true, true, Between::Nothing, unread + " (no backup was kept)\n",
         "unknown); its earlier configuration is in ", false},
        {"no backup, another configuration", true, false, Between::Nothing, unread + " (no backup was kept)\n",
         "unknown); an earlier write that did not finish may have left it mixed already (too little of that write "
         "was kept to tell); what it held before this write is in ",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString data = path("user" + QString::number(&c - cases));
        std::unique_ptr<TSimProcess> sim;
        // The controller as the last one left it, on the same line.
        const auto simulate = [&](const QString& image, const QStringList& faults) {
            if (sim) {
                EXPECT_TRUE(sim->finish());
            }
            sim = std::make_unique<TSimProcess>(QStringList{"--baud", "0", "--image", image, "--dump", path("dump.usr")}
                                                + faults);
            QFile::remove(line);
            EXPECT_TRUE(QFile::link(sim->device(), line));
        };
        const auto write
            = [&](const QString& file, const QString& as, const QStringList& more = {}, long fileLimit = 0) {
                  return TToolRun::of(QStringList{"write", file, "--device", line, "--timeout", "300"} + more, as, {},
                                      {}, fileLimit);
              };
        // As printed, by another user: another home, none of the first's
        // settings or backups.
        const auto runAsOther = [&](const QString& command) {
            QProcess shell;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("HOME", path("other"));
            for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"})
                env.remove(variable);
            env.insert("PATH", QFileInfo(KT7TOOL_PATH).absolutePath() + ':' + env.value("PATH"));
            shell.setProcessEnvironment(env);
            shell.start("sh", {"-c", command});
            EXPECT_TRUE(shell.waitForFinished(30000));
            EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
        };

        store("start.usr", c.equal ? project : earlier);
        simulate(path("start.usr"), {"--silent-after", c.noBackup ? "20" : "84"});
        TToolRun run = write(path("project.usr"), data, c.noBackup ? QStringList{"--no-backup"} : QStringList{});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(c.first)) << run.err.toStdString();
        simulate(path("dump.usr"), {});
        EXPECT_EQ(blocksFrom(load("dump.usr"), project, c.equal ? project : earlier), c.equal ? 64 : 20);
        if (c.between == Between::OtherWrites) {
            EXPECT_EQ(write(path("other.usr"), path("other/data")).status, 0);
        }
        if (c.between == Between::OtherRestores)
            runAsOther(run.err.section("restore it with: ", 1).trimmed());
        if (c.toEarlier) {
            // A write that cannot keep its backup writes nothing, and says
            // the controller is mixed and how to put it back.
            run = write(path("next.usr"), data, {}, 1024);
            EXPECT_EQ(run.status, 2);
            EXPECT_TRUE(run.err.contains("File too large (nothing was written to the controller); the controller "
                                         "holds a mixed configuration an earlier write left; its earlier "
                                         "configuration is in "))
                << run.err.toStdString();
        }
        simulate(path("dump.usr"), {"--silent-after", "74"});
        const TImage before = load("dump.usr");
        run = write(path("next.usr"), data);
        EXPECT_EQ(run.status, 2);
        const QString wayBack = run.err.section(c.next, 1).section(", restore it with: ", 0, 0);
        ASSERT_FALSE(wayBack.isEmpty()) << run.err.toStdString();
        EXPECT_EQ(loadAt(wayBack), c.toEarlier ? earlier : before);
        const QString command = run.err.section("restore it with: ", 1).trimmed();
        EXPECT_EQ(command, "kt7tool restore " + wayBack + " --device " + line + " --timeout 300");
        simulate(path("dump.usr"), {});
        runAsOther(command);
        ASSERT_TRUE(sim->finish());
        EXPECT_EQ(load("dump.usr"), loadAt(wayBack));
    }
}

// As a script or a build server runs it: images through standard input and
// output, -v and -vv on standard error, progress lines in a log, JSON.
TEST_F(ToolLine, ScriptsUseStandardStreamsVerboseLinesProgressLinesAndJson)
{
    const TImage held = patterned(21);
    const TImage next = patterned(22);
    const auto bytesOf = [](const TImage& image) {
        return QByteArray(reinterpret_cast<const char*>(image.bytes().data()), TImage::Size);
    };
    store("held.usr", held);
    TSimProcess sim({"--baud", "0", "--image", path("held.usr"), "--dump", path("dump.usr")});
    const QString device = sim.device();

    TToolRun run = tool(sim, {"read", "-", "-v"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.outBytes, bytesOf(held));
    const QStringList notes = run.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(notes.size(), 2) << run.err.toStdString();
    EXPECT_EQ(notes[0], "kt7tool: " + device + ": S/N-KT7S (01.02.03)");
    EXPECT_TRUE(QRegularExpression("^kt7tool: read: 64 blocks in \\d+\\.\\d\\d s, 0 asked for again$")
                    .match(notes[1])
                    .hasMatch())
        << notes[1].toStdString();

    // The image is binary: a terminal does not get it.
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    run = tool(sim, {"read", "-"}, {}, QString::fromLocal8Bit(::ptsname(terminal)));
    ::close(terminal);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("standard output is a terminal")) << run.err.toStdString();

    // The image to write on standard input; the progress as lines at every tenth.
    run = tool(sim, {"write", "-", "--progress"}, bytesOf(next));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    QStringList progress;
    for (const QString& line : run.err.split('\n'))
        if (line.startsWith("kt7tool: write "))
            progress << line;
    ASSERT_EQ(progress.size(), 10) << run.err.toStdString();
    EXPECT_EQ(progress.first(), "kt7tool: write 10% (7/64 blocks)");
    EXPECT_EQ(progress.last(), "kt7tool: write 100% (64/64 blocks)");

    // Every frame in the traffic log's words.
    run = tool(sim, {"identify", "-vv"});
    EXPECT_TRUE(
        run.err.startsWith(device + " Write : 0x00 0x01 0x04 0x55 0x74\n" + device + " Read  : 0x00 0x01 0x0E 0xAA"))
        << run.err.toStdString();

    run = tool(sim, {"identify", "--json"});
    const QJsonObject ident = QJsonDocument::fromJson(run.outBytes).object();
    EXPECT_EQ(ident["identification"].toString(), "S/N-KT7S (01.02.03)");
    EXPECT_EQ(ident["serial"].toString(), "KT7S010203");
    EXPECT_EQ(ident["device"].toString(), device);
    run = TToolRun::of({"backups", "--json"}, path("data"));
    const QJsonArray kept = QJsonDocument::fromJson(run.outBytes).object()["backups"].toArray();
    ASSERT_EQ(kept.size(), 1) << run.out.toStdString();
    EXPECT_EQ(loadAt(kept[0].toObject()["path"].toString()), held);
    // Kept before a write of an image from standard input, which has no name.
    EXPECT_EQ(kept[0].toObject()["reason"].toString(), "write");
    EXPECT_TRUE(kept[0].toObject()["project"].isNull());
    // Every COM number a link of the test's own, so that no device of the
    // machine is opened: COM1 the simulator's line, the others missing.
    const QString links = qEnvironmentVariable("XDG_CONFIG_HOME") + "/kt7config/ports";
    ASSERT_TRUE(QDir().mkpath(links));
    for (int n = 1; n <= 255; ++n)
        ASSERT_TRUE(QFile::link(n == 1 ? device : path("none"), links + "/com" + QString::number(n)));
    // The list opens no port, which would raise DTR and RTS: of a port
    // nobody has locked it knows nothing, of a missing one why. --probe opens
    // each to tell free from busy.
    const int opens = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(opens, device.toLocal8Bit().constData(), IN_OPEN), 0);
    char event[256];
    run = TToolRun::of({"ports", "--json"});
    EXPECT_EQ(run.status, 0);
    EXPECT_LT(::read(opens, event, sizeof event), 0);
    const QJsonArray ports = QJsonDocument::fromJson(run.outBytes).object()["ports"].toArray();
    ASSERT_EQ(ports.size(), 255) << run.out.toStdString();
    EXPECT_EQ(ports[0].toObject()["device"].toString(), device);
    EXPECT_TRUE(ports[0].toObject()["state"].isNull()) << run.out.toStdString();
    EXPECT_EQ(ports[1].toObject()["state"].toString(), "No such file or directory");
    run = TToolRun::of({"ports"});
    EXPECT_TRUE(run.out.startsWith("COM1\t" + device + "\t-\t-\nCOM2\t")) << run.out.toStdString();
    run = TToolRun::of({"ports", "--probe"});
    EXPECT_TRUE(run.out.startsWith("COM1\t" + device + "\t-\tfree\n")) << run.out.toStdString();
    EXPECT_GT(::read(opens, event, sizeof event), 0);
    ::close(opens);

    // Words of an image on standard input are those of its file.
    store("next.usr", next);
    EXPECT_EQ(TToolRun::of({"show", "-"}, {}, bytesOf(next)).out, TToolRun::of({"show", path("next.usr")}).out);
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(load("dump.usr"), next);

    // A transfer that fails: the log's last progress line says where it stopped.
    TSimProcess silent({"--baud", "0", "--image", path("held.usr"), "--silent-after", "20"});
    run = tool(silent, {"read", path("read.usr"), "--progress"});
    EXPECT_EQ(run.status, 2);
    const QStringList lines = run.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[lines.size() - 2], "kt7tool: read stopped after 20/64 blocks (31%)");
}
