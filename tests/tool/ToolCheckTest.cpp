// kt7tool check, and the check in front of every write: its lines, its JSON,
// its exit status, and a write refused or forced against kt7sim.

#include "image/ImageLayout.h"
#include "image/TAlarmRecord.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"
#include "tests/support/TSimProcess.h"
#include "tests/tool/TToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// IN-1 runs a stage of 15 s with the MS3-1 message in a system without
// message modules; IN-2 is on and switches K1 for 30 s.
TImage faulty()
{
    TImage image;
    TAlarmRecord in1(image, 1);
    in1.setEnabled(true);
    in1.stage(1).setDuration(1);
    in1.stage(1).setMessageCode(8);
    in1.stage(1).setOutputBit(0, true);
    TAlarmRecord in2(image, 2);
    in2.setEnabled(true);
    in2.stage(1).setDuration(2);
    in2.stage(1).setK1(true);
    return image;
}

const char* const Found = "error: IN-1, Этап 1: Время работы этапа 00:15, а первый этап работает не менее 00:30\n"
                          "error: IN-1, Этап 1: Источник сообщения MS3-1, а Кол-во доп. модулей сообщений Zarna "
                          "KT7-MS3: 0\n"
                          "warning: IN-2: Алгоритм включён, но не назван\n";

class ToolCheck : public ::testing::Test {
protected:
    QString project(const QString& name, const TImage& image, bool withNames = true) const
    {
        const QString usr = dir.filePath(name + ".usr");
        EXPECT_TRUE(TImageFile::write(usr.toStdString(), image).ok());
        if (withNames) {
            TNamesFile::Names names;
            names[0] = "Пожар";
            EXPECT_TRUE(TNamesFile::write(dir.filePath(name + ".ini").toStdString(), names).ok());
        }
        return usr;
    }
    TImage dumped() const
    {
        TImage image;
        EXPECT_TRUE(TImageFile::read(dir.filePath("dump.usr").toStdString(), image).ok());
        return image;
    }
    TToolRun write(const TSimProcess& sim, QStringList arguments) const
    {
        arguments.prepend("write");
        arguments << "--device" << sim.device() << "--no-backup"
                  << "--quiet";
        return TToolRun::of(arguments, dir.filePath("data"));
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ToolCheck, FindingsAsLinesAndJsonWithTheirStatus)
{
    TToolRun run = TToolRun::of({"check", project("new", TImage(), false)});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty() && run.err.isEmpty()) << run.out.toStdString() << run.err.toStdString();

    const QString site = project("site", faulty());
    run = TToolRun::of({"check", site});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QString::fromUtf8(Found));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    // Without a names file the names are not looked at; one named that is
    // missing is said to be so.
    run = TToolRun::of({"check", project("bare", faulty(), false), "--json"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QJsonArray findings = QJsonDocument::fromJson(run.out.toUtf8()).object()["findings"].toArray();
    ASSERT_EQ(findings.size(), 2) << run.out.toStdString();
    const QJsonObject second = findings[1].toObject();
    EXPECT_EQ(second["severity"].toString(), "error");
    EXPECT_EQ(second["id"].toString(), "message-module-absent");
    EXPECT_EQ(second["where"].toString(), QStringLiteral("IN-1, Этап 1"));
    EXPECT_EQ(second["node"].toObject(), (QJsonObject{{"kind", "stage"}, {"input", 1}, {"stage", 1}}));
    EXPECT_TRUE(second["text"].toString().startsWith(QStringLiteral("Источник сообщения MS3-1")));

    // Warnings alone are findings too.
    TImage warned = faulty();
    TAlarmRecord(warned, 1).stage(1).setDuration(2);
    TAlarmRecord(warned, 1).stage(1).setMessageCode(0);
    EXPECT_EQ(TToolRun::of({"check", project("warned", warned)}).status, 1);
    // An unlimited stage with a relay and its message on no output, after
    // a stage that is heard.
    TImage silent;
    TAlarmRecord in1(silent, 1);
    in1.setEnabled(true);
    in1.stage(1).setDuration(2);
    in1.stage(1).setOutputBit(0, true);
    in1.stage(2).setDuration(255);
    in1.stage(2).setK2(true);
    run = TToolRun::of({"check", project("silent", silent)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              QStringLiteral("warning: IN-1, Этап 2: Этап работает неограниченно, но выходы для трансляции его "
                             "сообщения не назначены, а у этапа 1 назначены: речевое оповещение на это время "
                             "смолкает\n"));

    // A names file named on the command line must be there.
    for (const QStringList& wrong : {QStringList{"check"}, QStringList{"check", dir.filePath("none.usr")},
                                     QStringList{"check", site, "--names", dir.filePath("missing.ini")}}) {
        run = TToolRun::of(wrong);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
}

TEST_F(ToolCheck, WriteRefusesErrorsUnlessForcedAndGoesOnWithWarnings)
{
    const QString site = project("site", faulty());
    {
        TSimProcess sim({"--baud", "0", "--dump", dir.filePath("dump.usr")});
        const TToolRun run = write(sim, {site});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err,
                  "kt7tool: " + QString::fromUtf8(Found).replace("\n", "\nkt7tool: ") + site
                      + ": the configuration has 2 errors; nothing was written (kt7tool check lists them; "
                        "--force writes it anyway)\n");
        ASSERT_TRUE(sim.finish());
        EXPECT_EQ(dumped(), TImage());
    }
    {
        TSimProcess sim({"--baud", "0", "--dump", dir.filePath("dump.usr")});
        const TToolRun run = write(sim, {site, "--force"});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith("kt7tool: warning: writing a configuration with 2 errors (--force)\n"))
            << run.err.toStdString();
        ASSERT_TRUE(sim.finish());
        EXPECT_EQ(dumped(), faulty());
    }
    {
        // Warnings alone do not stop a write.
        TImage warned = faulty();
        TAlarmRecord(warned, 1).stage(1).setDuration(2);
        TAlarmRecord(warned, 1).stage(1).setMessageCode(0);
        const QString path = project("warned", warned);
        TSimProcess sim({"--baud", "0", "--dump", dir.filePath("dump.usr")});
        const TToolRun run = write(sim, {path});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.err, "kt7tool: warning: IN-2: Алгоритм включён, но не назван\n");
        ASSERT_TRUE(sim.finish());
        EXPECT_EQ(dumped(), warned);
    }
}

// The command a write cut short prints puts the backup back as printed: run
// by a shell for another user (another HOME, nothing of the first user's
// configuration), with the line's speed and time-out the write used, from a
// backups folder whose path holds a quote, despite the check's errors. The
// port the first user calls COM 1 is named by its device.
TEST_F(ToolCheck, ThePrintedRestoreCommandPutsBackABackupWhoseCheckFindsErrors)
{
    // The controller's configuration has an error the editor leaves: the
    // MS3-1 message of a module the composition no longer has.
    TImage held;
    TAlarmRecord in1(held, 1);
    in1.setEnabled(true);
    in1.stage(1).setDuration(2);
    in1.stage(1).setMessageCode(10);
    in1.stage(1).setOutputBit(0, true);
    const QString heldPath = project("held", held, false);
    // COM 1 is a link of this user's own to a device name that stays.
    const QString line = dir.filePath("line");
    const QString ports = qEnvironmentVariable("XDG_CONFIG_HOME") + "/kt7config/ports";
    ASSERT_TRUE(QDir().mkpath(ports));
    QFile::remove(ports + "/com1");
    ASSERT_TRUE(QFile::link(line, ports + "/com1"));
    const QString data = dir.filePath("it's data");
    // The new configuration differs at the start and in the bytes the tool
    // keeps but does not use, at the end.
    TImage next;
    for (int i = Layout::FirstUnused; i < TImage::Size; ++i)
        next.setByte(i, 0xA5);
    TToolRun run;
    {
        TSimProcess sim(
            {"--baud", "0", "--image", heldPath, "--close-after", "70", "--dump", dir.filePath("dump.usr")});
        ASSERT_TRUE(QFile::link(sim.device(), line));
        run = TToolRun::of({"write", project("new", next, false), "--com", "1", "--baud", "19200", "--timeout", "700"},
                           data);
        EXPECT_EQ(run.status, 2);
        sim.finish();
    }
    const QString printed = run.err.section("restore it with: ", 1).trimmed();
    const QString backup
        = QDir(data + "/kt7config/backups").filePath(QDir(data + "/kt7config/backups").entryList(QDir::Files)[0]);
    EXPECT_EQ(printed,
              "kt7tool restore '" + QString(backup).replace("'", "'\\''") + "' --device " + line
                  + " --baud 19200 --timeout 700")
        << run.err.toStdString();
    TSimProcess sim({"--baud", "0", "--image", dir.filePath("dump.usr"), "--dump", dir.filePath("dump.usr")});
    ASSERT_TRUE(QFile::remove(line) && QFile::link(sim.device(), line));
    // The same configuration written as a project is refused.
    EXPECT_EQ(TToolRun::of({"write", heldPath, "--com", "1"}, data).status, 2);
    QProcess shell;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString other = dir.filePath("other");
    ASSERT_TRUE(QDir().mkpath(other));
    env.insert("HOME", other);
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        env.remove(variable);
    env.insert("PATH", QFileInfo(KT7TOOL_PATH).absolutePath() + ':' + env.value("PATH"));
    shell.setProcessEnvironment(env);
    shell.start("sh", {"-c", printed});
    ASSERT_TRUE(shell.waitForFinished(30000));
    const QString err = QString::fromUtf8(shell.readAllStandardError());
    EXPECT_EQ(shell.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.startsWith("kt7tool: warning: IN-1, Этап 1: Источник сообщения MS3-1")) << err.toStdString();

    // A renamed copy put back was made for no project: so is the backup
    // kept before it. Written from the backups folder, a backup is what a
    // controller held, its errors warnings as restore has them.
    ASSERT_EQ(TToolRun::of({"write", project("new", next, false), "--com", "1", "--quiet"}, data).status, 0);
    ASSERT_TRUE(QFile::copy(backup, dir.filePath("site.usr")));
    run = TToolRun::of({"restore", dir.filePath("site.usr"), "--com", "1", "--quiet"}, data);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonObject newest
        = QJsonDocument::fromJson(TToolRun::of({"backups", "--json"}, data).outBytes)["backups"][0].toObject();
    TImage kept;
    EXPECT_TRUE(TImageFile::read(newest["path"].toString().toStdString(), kept).ok());
    EXPECT_EQ(kept, next);
    EXPECT_TRUE(newest["project"].isNull()) << newest["project"].toString().toStdString();
    ASSERT_EQ(TToolRun::of({"write", dir.filePath("new.usr"), "--com", "1", "--quiet"}, data).status, 0);
    run = TToolRun::of({"write", backup, "--com", "1", "--quiet"}, data);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("kt7tool: warning: " + backup
                                 + " is a backup of what a controller held: written all "
                                   "the same, its 1 error shown as warnings"))
        << run.err.toStdString();
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(dumped(), held);

    // A backup of another controller than the one that answers is refused
    // unless forced.
    TSimProcess otherController({"--baud", "0", "--serial", "ZZZZ123456", "--dump", dir.filePath("dump.usr")});
    run = TToolRun::of({"restore", backup, "--device", otherController.device()}, data);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.endsWith("kt7tool: " + backup
                                 + " is a backup of controller KT7S010203, but controller ZZZZ123456 answered; "
                                   "nothing was written (--force writes it all the same)\n"))
        << run.err.toStdString();
    run = TToolRun::of({"restore", backup, "--device", otherController.device(), "--force", "--quiet"}, data);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("warning: " + backup
                                 + " is a backup of controller KT7S010203, but controller "
                                   "ZZZZ123456 answered; written all the same (--force)"))
        << run.err.toStdString();
    ASSERT_TRUE(otherController.finish());
    EXPECT_EQ(dumped(), held);
}
