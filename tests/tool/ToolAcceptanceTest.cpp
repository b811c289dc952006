// kt7tool results and kt7tool record as a user runs them: results recorded
// from the command line and read back with their states and exit status,
// results gone stale after an edit of their input alone, refusals that
// record nothing, and a record killed at any moment leaving the file as it
// was before or after, never half written.

#include "image/TAlarmRecord.h"
#include "project/TAcceptanceFile.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"
#include "tests/support/TAcceptanceSite.h"
#include "tests/tool/TToolRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class ToolAcceptance : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TImageFile::write(usr.toStdString(), acceptanceSite()).ok());
        TNamesFile::Names names;
        names[0] = "Пожар";
        TSiteNames named;
        named.engineer = "Иванов И. И.";
        named.zones[static_cast<size_t>(Layout::outputBit(1, 2))] = "Коридор";
        ASSERT_TRUE(TNamesFile::write(dir.filePath("site.ini").toStdString(), names, named).ok());
    }
    TToolRun run(QStringList arguments) const { return TToolRun::of(arguments, dir.filePath("data")); }
    QByteArray file() const
    {
        QFile f(results);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    TAcceptanceFile::Contents contents() const
    {
        TAcceptanceFile::Contents c;
        EXPECT_TRUE(TAcceptanceFile::read(results.toStdString(), c).ok());
        return c;
    }

    QTemporaryDir dir;
    QString usr = dir.filePath("site.usr");
    QString results = dir.filePath("site.results.txt");
};

} // namespace

TEST_F(ToolAcceptance, RecordedResultsGiveEachInputsStateAndTheExitStatus)
{
    // Nothing recorded: every input untested, and no file made.
    TToolRun r = run({"results", usr});
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_EQ(r.out,
              "IN-1 Пожар: не испытан, испытано 0 из 4, годен 0, замечаний 0\n"
              "IN-2: не испытан, испытано 0 из 1, годен 0, замечаний 0\n\n"
              "Испытано входов: 0 из 2; годен: 0; замечаний: 0\n");
    EXPECT_FALSE(QFile::exists(results));

    // Without --stage a result holds for every stage that switches the target.
    r = run({"record", usr, "--input", "1", "--target", "LB1.OUT2", "--pass"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    std::vector<TAcceptanceResult> got = contents().results;
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].stage, 1);
    EXPECT_EQ(got[1].stage, 2);
    EXPECT_EQ(got[1].tester, "Иванов И. И.");
    ASSERT_EQ(run({"record", usr, "--input", "1", "--target", "lb1.out1", "--pass", "--by", "Петров"}).status, 0);
    ASSERT_EQ(run({"record", usr, "--input", "1", "--target", "CU.K1", "--fail", "--note", "не включилось"}).status, 0);
    r = run({"results", usr});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.startsWith("IN-1 Пожар: не годен, испытано 4 из 4, годен 3, замечаний 1; Иванов И. И., "))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("\nОтклонения:\nIN-1, этап 2, CU.K1: не годен — не включилось\n"));
    EXPECT_TRUE(r.out.endsWith("Испытано входов: 1 из 2; годен: 0; замечаний: 1\n"));

    // A result again replaces the earlier one of its effect.
    ASSERT_EQ(run({"record", usr, "--input", "1", "--target", "CU.K1", "--pass", "--stage", "2"}).status, 0);
    ASSERT_EQ(run({"record", usr, "--input", "2", "--target", "LB1.OUT3", "--pass"}).status, 0);
    EXPECT_EQ(contents().results.size(), 5u);
    r = run({"results", usr, "--json"});
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    QJsonObject json = QJsonDocument::fromJson(r.outBytes).object();
    EXPECT_TRUE(json["allPassed"].toBool());
    EXPECT_EQ(json["passed"].toInt(), 2);
    QJsonObject in1 = json["inputs"].toArray()[0].toObject();
    EXPECT_EQ(in1["state"], "passed");
    EXPECT_EQ(in1["results"].toArray()[1].toObject()["name"], "Коридор");
    EXPECT_EQ(in1["results"].toArray()[1].toObject()["message"], "Панель, сообщение 1");

    // An edit of IN-2 makes its results stale, IN-1's stay; a line damaged
    // by hand is told and kept.
    TImage edited = acceptanceSite();
    TAlarmRecord(edited, 2).stage(1).setDuration(4);
    ASSERT_TRUE(TImageFile::write(usr.toStdString(), edited).ok());
    QFile append(results);
    ASSERT_TRUE(append.open(QIODevice::Append));
    append.write("<<<<<<< HEAD\n");
    append.close();
    r = run({"results", usr, "--json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.toStdString(),
              "kt7tool: warning: " + results.toStdString()
                  + ":7: ожидалось 8 полей через табуляцию, а их 1; the line is no "
                    "result and is kept as it is\n");
    json = QJsonDocument::fromJson(r.outBytes).object();
    EXPECT_EQ(json["inputs"].toArray()[0].toObject()["state"], "passed");
    const QJsonObject in2 = json["inputs"].toArray()[1].toObject();
    EXPECT_EQ(in2["state"], "stale");
    EXPECT_EQ(in2["passed"].toInt(), 0);
    EXPECT_TRUE(in2["results"].toArray()[0].toObject()["stale"].toBool());
    ASSERT_EQ(run({"record", usr, "--input", "2", "--target", "LB1.OUT3", "--pass"}).status, 0);
    EXPECT_EQ(run({"results", usr}).status, 0);
    EXPECT_TRUE(file().endsWith("<<<<<<< HEAD\n"));
}

TEST_F(ToolAcceptance, WhatCannotBeRecordedRecordsNothing)
{
    ASSERT_EQ(run({"record", usr, "--input", "1", "--target", "LB1.OUT1", "--pass"}).status, 0);
    const QByteArray before = file();
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"--input", "3", "--target", "LB1.OUT1", "--pass"}, "record: IN-3 is switched off: it has nothing to test"},
        {{"--input", "2", "--target", "LB1.OUT1", "--fail"},
         "record: IN-2 never switches LB1.OUT1 (IN-2 switches LB1.OUT3)"},
        {{"--input", "1", "--target", "LB1.OUT1", "--pass", "--stage", "2"},
         "record: IN-1, stage 2 never switches LB1.OUT1 (IN-1 switches LB1.OUT1, LB1.OUT2, CU.K1)"},
        {{"--input", "1", "--target", "LB1.OUT9", "--pass"},
         "record: --target: 'LB1.OUT9' names no zone or relay; name one as the names file does: LB2.OUT3, CU.K1, "
         "RM1.K2"},
        {{"--input", "1", "--target", "LB1.OUT1", "--pass", "--fail"}, "record: give one of --pass and --fail"},
        {{"--input", "1", "--target", "LB1.OUT1"}, "record: give one of --pass and --fail"},
        {{"--input", "1", "--pass"}, "record: name the zone or relay with --target KEY"},
        {{"--target", "LB1.OUT1", "--pass"}, "record: name the input tripped with --input N"},
        {{"--input", "1", "--target", "LB1.OUT1", "--pass", "--json"}, "record: --json belongs to kt7tool results"},
        {{"--input", "1", "--target", "LB1.OUT1", "--pass", "--csv"}, "record: --csv belongs to kt7tool matrix"},
        {{"--input", "1", "--target", "LB1.OUT1", "--pass", "--stage", "6"},
         "--stage: expected a number from 1 to 5, got '6'"},
    };
    for (const auto& [options, message] : cases) {
        SCOPED_TRACE(options.join(' ').toStdString());
        const TToolRun r = run(QStringList{"record", usr} + options);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "kt7tool: " + message + "\n");
        EXPECT_EQ(file(), before);
    }
    TToolRun r = run({"record", "-", "--input", "1", "--target", "LB1.OUT1", "--pass"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kt7tool: record: the results file lies beside the project; name the project's file, not -\n");
    r = run({"results", usr, "--pass"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "kt7tool: results: --pass belongs to kt7tool record\n");
    EXPECT_EQ(file(), before);
}

TEST_F(ToolAcceptance, ARecordKilledAtAnyMomentLeavesTheFileBeforeOrAfter)
{
    // A long remark of the file's own makes each replacement take a while.
    const QByteArray remark = "# " + QByteArray(1024 * 1024, 'x') + "\n";
    QFile big(results);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(remark);
    big.close();
    ASSERT_EQ(run({"record", usr, "--input", "1", "--target", "LB1.OUT1", "--pass"}).status, 0);
    int midWrite = 0;
    for (int n = 0; n < 16; ++n) {
        SCOPED_TRACE(n);
        QProcess record;
        record.start(QStringLiteral(KT7TOOL_PATH),
                     {"record", usr, "--input", "1", "--target", "LB1.OUT1", n % 2 == 0 ? "--fail" : "--pass"});
        ASSERT_TRUE(record.waitForStarted());
        // Every other run is killed once its new file has appeared beside
        // the old one, the others after a while of their own.
        const QDir folder(dir.path());
        const QStringList before = folder.entryList({"site.results.txt.tmp*"});
        QElapsedTimer waited;
        waited.start();
        bool seen = false;
        while (n % 2 == 0 && record.state() == QProcess::Running && !seen && waited.elapsed() < 10000) {
            seen = folder.entryList({"site.results.txt.tmp*"}).size() > before.size();
            record.waitForFinished(0);
        }
        if (n % 2 == 1)
            QThread::usleep(static_cast<unsigned long>(1500 * n));
        record.kill();
        record.waitForFinished();
        midWrite += seen && record.exitStatus() == QProcess::CrashExit ? 1 : 0;
        // The file is whole: its remark and one result, of either verdict.
        const TAcceptanceFile::Contents c = contents();
        EXPECT_TRUE(c.damaged.empty());
        ASSERT_EQ(c.results.size(), 1u);
        EXPECT_EQ(c.results[0].target, "LB1.OUT1");
        EXPECT_TRUE(file().startsWith(remark));
    }
    EXPECT_GT(midWrite, 0);
}
