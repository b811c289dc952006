// kt7tool on the line: identify, read, write with its backup and verify
// against kt7sim, and every way the line can fail.

#include "image/ImageLayout.h"
#include "project/TImageFile.h"
#include "tests/support/TSimProcess.h"
#include "tests/tool/TToolRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TImage patterned(int seed)
{
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>((i * 7 + seed) ^ (i >> 3)));
    return image;
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

// The patterned images are no configurations: the check would refuse to
// write them, so the writes here are forced.
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
    TToolRun tool(const TSimProcess& sim, QStringList arguments) const
    {
        arguments << "--device" << sim.device() << "--timeout"
                  << "300";
        return TToolRun::of(arguments, path("data"));
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

    // The write keeps what the controller held, then checks it all back.
    run = tool(sim, {"write", path("after.usr"), "--verify", "--quiet", "--force"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_EQ(backups().size(), 1);
    EXPECT_TRUE(backups()[0].startsWith("ABCDEFGHIJ-")) << backups()[0].toStdString();
    EXPECT_EQ(load("data/kt7config/backups/" + backups()[0]), before);

    run = tool(sim, {"verify", path("before.usr")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains("Байт 0x07FF: ")) << run.out.toStdString();

    run = tool(sim, {"write", path("before.usr"), "--no-backup", "--force"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(backups().size(), 1);
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(load("dump.usr"), before);
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

    // Listed newest first, serial, time and path.
    run = TToolRun::of({"backups"}, path("data"));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList listed = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(listed.size(), 3);
    const QRegularExpression line("^ABCDEFGHIJ\t\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ\t(.+)$");
    QStringList paths;
    for (const QString& l : listed) {
        const QRegularExpressionMatch m = line.match(l);
        ASSERT_TRUE(m.hasMatch()) << l.toStdString();
        paths << m.captured(1);
    }
    EXPECT_EQ(paths.mid(1), QStringList({printed[1], printed[0]}));
    EXPECT_EQ(loadAt(paths[0]), second);

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
    {
        TSimProcess sim({"--baud", "0", "--wrong-address", "0x40:0x800"});
        EXPECT_NE(oneLine(tool(sim, {"read", path("r.usr")}))
                      .find("block 0x0040: the reply carries address 0x0800, outside the image"),
                  std::string::npos);
        EXPECT_FALSE(QFile::exists(path("r.usr")));
    }
    {
        // The line goes away in the middle of the write (backup: 64 replies, then 6 more).
        TSimProcess sim({"--baud", "0", "--close-after", "70"});
        const std::string err = oneLine(tool(sim, {"write", store("new.usr", TImage()), "--always"}));
        EXPECT_NE(err.find("the line went away"), std::string::npos) << err;
        EXPECT_NE(err.find("write cut short after 6 of 64 blocks"), std::string::npos) << err;
        ASSERT_EQ(backups().size(), 1);
        EXPECT_NE(err.find(backups()[0].toStdString()), std::string::npos) << err;
    }
    {
        EXPECT_NE(oneLine(TToolRun::of({"identify", "--device", path("none")})).find("No such file or directory"),
                  std::string::npos);
        const TSimProcess silent({"--baud", "0", "--silent-after", "0"});
        EXPECT_NE(oneLine(tool(silent, {"read", path("r.usr")})).find("block 0x0000: no reply"), std::string::npos);
        oneLine(TToolRun::of({"read", path("r.usr")})); // no port
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
        oneLine(TToolRun::of({"show", path("image.usr"), "--bogus"}));
        oneLine(TToolRun::of({"show", path("missing.usr")}));
        EXPECT_FALSE(QFile::exists(path("r.usr")));
        const TToolRun version = TToolRun::of({"--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_TRUE(version.out.startsWith("kt7tool ")) << version.out.toStdString();
    }
}
