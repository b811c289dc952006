// kt7tool show and diff on project fixtures: the words, their order, the
// JSON, and the raw bytes for what the words do not cover.

#include "image/TAlarmRecord.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"
#include "tests/tool/TToolRun.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Three splitters, one console, paging and music, one message module, two
// relay modules; IN-3 runs two stages.
TImage fixture()
{
    TImage image;
    image.setByte(Layout::CompositionByte, 0x27);
    image.setByte(Layout::ModuleByte, 0x50);
    image.setBit(Layout::MusicMask, 0, true);
    image.setBit(Layout::MusicMask, 13, true); // splitter 4: not present
    image.setBit(Layout::buttonOffset(4), 9, true);
    image.setBit(Layout::groupOffset(2), 47, true);
    TAlarmRecord in3(image, 3);
    in3.setEnabled(true);
    in3.setDelayCode(6);
    TStageRecord s1 = in3.stage(1);
    s1.setDuration(2);
    s1.setMessageCode(20);
    s1.setOutputBit(0, true);
    s1.setK1(true);
    s1.setRelayBit(5, true);
    TStageRecord s2 = in3.stage(2);
    s2.setDuration(2);
    s2.setOutputBit(47, true);
    return image;
}

class ToolWords : public ::testing::Test {
protected:
    QString project(const QString& name, const TImage& image, const std::string& name3)
    {
        const QString usr = dir.filePath(name + ".usr");
        EXPECT_TRUE(TImageFile::write(usr.toStdString(), image).ok());
        TNamesFile::Names names;
        names[2] = name3;
        EXPECT_TRUE(TNamesFile::write(dir.filePath(name + ".ini").toStdString(), names).ok());
        return usr;
    }
    QTemporaryDir dir;
};

const char* const Shown = "Конфигурация системы, Кол-во раветвителей Zarna KT7-LB: 3\n"
                          "Конфигурация системы, Кол-во пультов диктора Zarna KT7-PQ: 1\n"
                          "Конфигурация системы, Кол-во доп. модулей сообщений Zarna KT7-MS3: 1\n"
                          "Конфигурация системы, Кол-во доп. релейных модулей: 2\n"
                          "Функциональные настройки, Телефонный аудио пейджинг: есть\n"
                          "Функциональные настройки, Фоновая музыка: есть\n"
                          "Фоновая музыка, Zarna KT7-LB №1 OUT1\n"
                          "Кнопка 4, Zarna KT7-LB №3 OUT2\n"
                          "Группа 2 (Код-202), Zarna KT7-LB №12 OUT4\n"
                          "IN-3, Имя: Пожар в зале\n"
                          "IN-3, Время задержки (мин:сек): 01:30\n"
                          "IN-3, Этап 1, Время работы этапа: 00:30\n"
                          "IN-3, Этап 1, Источник сообщения: MS3-2\n"
                          "IN-3, Этап 1, Номер сообщения: 5\n"
                          "IN-3, Этап 1, Zarna KT7-LB №1 OUT1\n"
                          "IN-3, Этап 1, Реле в KT7-CU K1\n"
                          "IN-3, Этап 1, Релейный модуль №2 K2\n"
                          "IN-3, Этап 2, Время работы этапа: 00:30\n"
                          "IN-3, Этап 2, Источник сообщения: Панель\n"
                          "IN-3, Этап 2, Номер сообщения: 1\n"
                          "IN-3, Этап 2, Zarna KT7-LB №12 OUT4\n";

} // namespace

TEST_F(ToolWords, ShowGivesOneFactPerLineAndTheSameAsJson)
{
    const QString a = project("a", fixture(), "Пожар в зале");
    TToolRun run = TToolRun::of({"show", a});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(), Shown);
    EXPECT_TRUE(run.err.isEmpty());

    run = TToolRun::of({"show", a, "--json"});
    EXPECT_EQ(run.status, 0);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    const QJsonArray facts = json.object()["facts"].toArray();
    const QStringList lines = QString::fromUtf8(Shown).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(facts.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QJsonObject fact = facts[i].toObject();
        QStringList path;
        for (const QJsonValue& part : fact["path"].toArray())
            path << part.toString();
        const QJsonValue value = fact["value"];
        const QString line = path.join(", ") + (value.isBool() ? QString() : ": " + value.toString());
        EXPECT_EQ(line, lines[i]) << i;
        EXPECT_TRUE(value.isString() || value == QJsonValue(true)) << i;
    }

    // A names file named that is not there is an error; an image file of the
    // wrong size a warning.
    const QString names = dir.filePath("other.ini");
    run = TToolRun::of({"show", a, "--names", names});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err, "kt7tool: " + names + ": No such file or directory\n");
    QFile file(a);
    ASSERT_TRUE(file.resize(20));
    run = TToolRun::of({"show", a});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.startsWith("Конфигурация системы, Кол-во раветвителей Zarna KT7-LB: 1\n"));
    EXPECT_EQ(run.err, "kt7tool: warning: " + a + ": 20 bytes, not 2048; the rest of the image reads as zeros\n");
}

TEST_F(ToolWords, DiffNamesChangedFactsThenRawBytes)
{
    TImage changed = fixture();
    TAlarmRecord(changed, 3).stage(2).setDuration(4);
    changed.setBit(Layout::buttonOffset(4), 6, true);
    changed.setBit(Layout::MusicMask, 13, false);            // not shown: a raw byte
    TAlarmRecord(changed, 3).stage(3).setOutputBit(1, true); // stage off: a raw byte
    changed.setByte(2000, 0x5A);
    const QString a = project("a", fixture(), "Пожар в зале");
    const QString b = project("b", changed, "Пожар");

    TToolRun run = TToolRun::of({"diff", a, b});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(),
              "+ Кнопка 4, Zarna KT7-LB №2 OUT3\n"
              "IN-3, Имя: Пожар в зале → Пожар\n"
              "IN-3, Этап 2, Время работы этапа: 00:30 → 01:00\n"
              "Байт 0x0023: 04 → 00\n"   // music of splitter 4, which is not present
              "Байт 0x00C3: 00 → 40\n"   // IN-3, stage 3, which is off
              "Байт 0x07D0: 00 → 5A\n"); // past the fields of the image

    // Names given by hand; the same configuration differs in nothing.
    run = TToolRun::of({"diff", a, b, "--names-b", dir.filePath("a.ini")});
    EXPECT_FALSE(run.out.contains("Имя"));
    run = TToolRun::of({"diff", a, a});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.isEmpty());

    // An image without a names file, as a read leaves it, has unknown names:
    // they are not compared, and that is said once.
    const QString read = dir.filePath("controller.usr");
    ASSERT_TRUE(QFile::copy(a, read));
    run = TToolRun::of({"diff", a, read});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_EQ(run.err,
              "kt7tool: warning: " + read
                  + " has no names file: its algorithms' names are unknown and not "
                    "compared\n");
    const QString again = dir.filePath("again.usr");
    ASSERT_TRUE(QFile::copy(a, again));
    run = TToolRun::of({"diff", read, again});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              "kt7tool: warning: neither " + read + " nor " + again
                  + " has a names file: the algorithms' names are unknown and not compared\n");
    EXPECT_FALSE(TToolRun::of({"diff", "--help"}).out.contains("--com"));

    // Names of zones and relays: lines of their own before the facts, and
    // in parentheses after a mark of a named zone, which a rename leaves as it was.
    const auto addSite = [this](const char* ini, const TSiteNames& site) {
        TNamesFile::Names names;
        const std::string path = dir.filePath(ini).toStdString();
        return TNamesFile::read(path, names).ok() && TNamesFile::write(path, names, site).ok();
    };
    TSiteNames site;
    site.zones[0] = "Зал";
    site.controllerRelays[0] = "Дымоудаление";
    ASSERT_TRUE(addSite("a.ini", site));
    site.zones[0] = "Зал 2";
    site.zones[static_cast<size_t>(Layout::outputBit(2, 3))] = "Склад";
    site.object = "Гостиница";
    site.documentNumber = "ОП-2";
    site.causes[2] = "ППК, выход 3";
    site.messages[20] = "Эвакуация";
    ASSERT_TRUE(addSite("b.ini", site));
    run = TToolRun::of({"diff", a, b});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(),
              "+ Объект: Гостиница\n"
              "+ Номер документа: ОП-2\n"
              "Имя зоны, Zarna KT7-LB №1 OUT1: Зал → Зал 2\n"
              "+ Имя зоны, Zarna KT7-LB №2 OUT3: Склад\n"
              "+ Источник сигнала, IN-3: ППК, выход 3\n"
              "+ Имя сообщения, MS3-2, сообщение 5: Эвакуация\n"
              "+ Кнопка 4, Zarna KT7-LB №2 OUT3 (Склад)\n"
              "IN-3, Имя: Пожар в зале → Пожар\n"
              "IN-3, Этап 2, Время работы этапа: 00:30 → 01:00\n"
              "Байт 0x0023: 04 → 00\n"
              "Байт 0x00C3: 00 → 40\n"
              "Байт 0x07D0: 00 → 5A\n");
    run = TToolRun::of({"show", b});
    EXPECT_TRUE(run.out.startsWith("Объект: Гостиница\nНомер документа: ОП-2\n"
                                   "Имя зоны, Zarna KT7-LB №1 OUT1: Зал 2\n"
                                   "Имя зоны, Zarna KT7-LB №2 OUT3: Склад\n"
                                   "Имя реле, Реле в KT7-CU K1: Дымоудаление\n"
                                   "Источник сигнала, IN-3: ППК, выход 3\n"
                                   "Имя сообщения, MS3-2, сообщение 5: Эвакуация\n"
                                   "Конфигурация системы,"))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("\nIN-3, Этап 1, Реле в KT7-CU K1 (Дымоудаление)\n"));
    EXPECT_TRUE(run.out.contains("\nIN-3, Этап 1, Номер сообщения: 5 (Эвакуация)\n"));
    EXPECT_TRUE(run.out.contains("\nIN-3, Этап 2, Номер сообщения: 1\n"));
    run = TToolRun::of({"show", b, "--json"});
    EXPECT_TRUE(run.out.contains("\"path\": [\"IN-3\", \"Этап 1\", \"Zarna KT7-LB №1 OUT1\"], \"value\": true, "
                                 "\"name\": \"Зал 2\"}"))
        << run.out.toStdString();
}

TEST_F(ToolWords, NamesAreShownSafelyAndEveryDifferingNameCounts)
{
    // A names file in UTF-8 is read as names files are, in Windows-1251, and
    // what its names were read as is said.
    const QString utf8 = dir.filePath("utf8.ini");
    QFile names8(utf8);
    ASSERT_TRUE(names8.open(QIODevice::WriteOnly));
    names8.write(QStringLiteral("[Scenic]\r\nItem2=Пожар\r\n").toUtf8());
    names8.close();
    TToolRun read8 = TToolRun::of({"show", project("plain", fixture(), ""), "--names", utf8});
    EXPECT_EQ(read8.status, 0);
    EXPECT_EQ(read8.err,
              "kt7tool: warning: " + utf8
                  + QStringLiteral(": the names file looks like UTF-8, but names files are Windows-1251; its "
                                   "names read as: IN-3: РџРѕР¶Р°СЂ\n"));
    // One whose byte-order mark says it is Unicode is read as what it is,
    // with the same warning; one too large to be a names file is an error,
    // never empty names. Files written on Windows or by hand are read as
    // Windows reads them: line ends of a CR alone, names in another case and
    // with blanks, only the first of two sections of a name, and a NUL that
    // ends a name, which is said.
    const QString text = QStringLiteral("[Scenic]\r\nItem2=Пожар €\r\n");
    const auto marking = [&text](QStringEncoder::Encoding encoding) {
        return QByteArray(QStringEncoder(encoding, QStringEncoder::Flag::WriteBom).encode(text));
    };
    const QString big = dir.filePath("big.ini");
    const QByteArray fire = "\xCF\xEE\xE6\xE0\xF0 \x88"; // "Пожар €" in Windows-1251
    const auto unicode = [&big](const QString& encoding) {
        return "kt7tool: warning: " + big + ": the names file is in " + encoding
            + ", but names files are Windows-1251; read as " + encoding
            + QStringLiteral(", its names are: IN-3: Пожар €\n");
    };
    const struct {
        QByteArray bytes;
        QString err; // empty: none
    } files[] = {
        {marking(QStringEncoder::Utf8), unicode("UTF-8")},
        {marking(QStringEncoder::Utf16LE), unicode("UTF-16LE")},
        {marking(QStringEncoder::Utf16BE), unicode("UTF-16BE")},
        {"[Scenic]\rItem0=a\rItem2=" + fire + "\r", {}},
        {"  [ sCeNiC ]\r\n  iTeM2 =  " + fire + "  \r\n[Scenic]\r\nItem2=second\r\n", {}},
        {"[Scenic]\nItem2=" + fire + QByteArray("\0\xE5\xF9\xB8\n", 5),
         "kt7tool: warning: " + big
             + QStringLiteral(": a NUL byte ends the name IN-3, as Windows reads it: read as \"Пожар €\"; what "
                              "follows it (\"ещё\") cannot be part of a name and stays in the file only while the "
                              "name is unchanged\n")},
    };
    for (const auto& [bytes, err] : files) {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        const TToolRun run = TToolRun::of({"show", project("plain", fixture(), ""), "--names", big});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("IN-3, Имя: Пожар €\n"))) << run.out.toStdString();
        EXPECT_EQ(run.err, err);
    }
    QFile large(big);
    ASSERT_TRUE(large.open(QIODevice::WriteOnly | QIODevice::Truncate));
    large.write("[Scenic]\r\nItem2=x\r\n" + QByteArray(4 * 1024 * 1024, ';'));
    large.close();
    const TToolRun tooLarge = TToolRun::of({"show", project("plain", fixture(), ""), "--names", big});
    EXPECT_EQ(tooLarge.status, 2);
    EXPECT_EQ(tooLarge.err, "kt7tool: " + big + ": larger than 4 MB, which no names file is\n");

    // A name that carries an escape sequence reaches no terminal as one.
    const QString a = project("a", fixture(), "Пожар\x1b[31m в зале");
    TToolRun run = TToolRun::of({"show", a});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("IN-3, Имя: Пожар\\x1b[31m в зале\n")) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains('\x1b'));
    run = TToolRun::of({"show", a, "--json"});
    EXPECT_TRUE(run.out.contains("[\"IN-3\", \"Имя\"], \"value\": \"Пожар\\u001b[31m в зале\"}"))
        << run.out.toStdString();

    // Names of algorithms that are off in either project, and an algorithm
    // switched on in one of them on the last input, in words.
    TImage changed = fixture();
    TAlarmRecord last(changed, 24);
    last.setEnabled(true);
    last.stage(1).setDuration(2);
    last.stage(1).setOutputBit(4, true);
    const QString b = project("b", changed, "Пожар\x1b[31m в зале");
    TNamesFile::Names names;
    names[2] = "Пожар\x1b[31m в зале";
    names[4] = "Склад";
    names[23] = "Последний";
    ASSERT_TRUE(TNamesFile::write(dir.filePath("b.ini").toStdString(), names).ok());
    run = TToolRun::of({"diff", a, b});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(),
              "+ IN-24, Имя: Последний\n"
              "+ IN-24, Время задержки (мин:сек): 00:00\n"
              "+ IN-24, Этап 1, Время работы этапа: 00:30\n"
              "+ IN-24, Этап 1, Источник сообщения: Панель\n"
              "+ IN-24, Этап 1, Номер сообщения: 1\n"
              "+ IN-24, Этап 1, Zarna KT7-LB №2 OUT1\n"
              "IN-5, Имя:  → Склад\n");
    run = TToolRun::of({"diff", b, a});
    EXPECT_TRUE(run.out.endsWith("Zarna KT7-LB №2 OUT1\nIN-5, Имя: Склад → \n")) << run.out.toStdString();
    run = TToolRun::of({"diff", a, a, "--names-b", dir.filePath("b.ini")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.toStdString(), "IN-5, Имя:  → Склад\nIN-24, Имя:  → Последний\n");

    // A file that is longer than an image is read with a warning too; a
    // name after -- is no option.
    QFile::copy(a, dir.filePath("-long.usr"));
    QFile file(dir.filePath("-long.usr"));
    ASSERT_TRUE(file.resize(TImage::Size + 1));
    const QString here = QDir::currentPath();
    QDir::setCurrent(dir.path());
    run = TToolRun::of({"show", "--", "-long.usr"});
    QDir::setCurrent(here);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err.toStdString(),
              "kt7tool: warning: -long.usr: 2049 bytes, not 2048; bytes past 2048 are ignored\n");
}

namespace {

struct Outcome {
    int status = -1;
    std::string err;
};

// kt7tool with standard output on out and standard error into errFile; with
// fileLimit, the child may write files of at most that many bytes, as under
// ulimit -f.
Outcome runInto(int out, const std::string& errFile, const std::vector<std::string>& arguments, rlim_t fileLimit)
{
    std::vector<char*> argv{const_cast<char*>(KT7TOOL_PATH)};
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        if (fileLimit != RLIM_INFINITY) {
            const rlimit limit{fileLimit, fileLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(err);
    Outcome outcome;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        outcome.status = WEXITSTATUS(status);
    std::ifstream in(errFile);
    outcome.err.assign(std::istreambuf_iterator<char>(in), {});
    return outcome;
}

} // namespace

TEST_F(ToolWords, OutputThatCannotBeWrittenIsAnIOError)
{
    const std::string a = project("a", fixture(), "Пожар в зале").toStdString();
    TImage changed = fixture();
    changed.setByte(2000, 1);
    const std::string b = project("b", changed, "Пожар").toStdString();
    const std::string errFile = dir.filePath("err").toStdString();
    const std::vector<std::vector<std::string>> commands
        = {{"show", a}, {"show", a, "--json"}, {"diff", a, b}, {"check", a}, {"--help"}};

    // A pipe whose reader has gone.
    for (const auto& command : commands) {
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        ::close(pipe[0]);
        const Outcome o = runInto(pipe[1], errFile, command, RLIM_INFINITY);
        ::close(pipe[1]);
        EXPECT_EQ(o.status, 2) << command[0];
        EXPECT_EQ(o.err, "kt7tool: standard output: Broken pipe\n") << command[0];
    }
    // A file that may not grow past 64 bytes.
    for (const auto& command : commands) {
        const std::string outFile = dir.filePath("out").toStdString();
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(out, 0);
        const Outcome o = runInto(out, errFile, command, 64);
        ::close(out);
        EXPECT_EQ(o.status, 2) << command[0];
        EXPECT_EQ(o.err, "kt7tool: standard output: File too large\n") << command[0];
    }
    // A document that may not grow: no part of it is left.
    ASSERT_TRUE(QDir(dir.path()).mkdir("report"));
    const Outcome o
        = runInto(STDOUT_FILENO, errFile, {"report", a, "-o", dir.filePath("report/a.docx").toStdString()}, 64);
    EXPECT_EQ(o.status, 2) << o.err;
    EXPECT_TRUE(QDir(dir.filePath("report")).isEmpty());
}
