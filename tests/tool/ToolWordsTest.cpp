// kt7tool show and diff on project fixtures: the words, their order, the
// JSON, and the raw bytes for what the words do not cover.

#include "image/TAlarmRecord.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"
#include "tests/tool/TToolRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

    // Another names file, and an image file of the wrong size: warnings, not failures.
    const QString names = dir.filePath("other.ini");
    run = TToolRun::of({"show", a, "--names", names});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains("IN-3, Имя:\n"));
    EXPECT_TRUE(run.err.startsWith("kt7tool: warning: " + names)) << run.err.toStdString();
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
}
