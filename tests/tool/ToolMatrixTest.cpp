// kt7tool matrix and kt7tool timeline as a user runs them: the matrix in
// its three formats, the timelines as a well-formed SVG document with one
// bar per running stage, and the options that do not fit.

#include "image/TAlarmRecord.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"
#include "tests/tool/TToolRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <map>

namespace {

// One splitter. IN-1: stage 1 on LB1 OUT2, stage 2 unlimited on K2, stage 4
// beyond the break. IN-2: delay 01:00, stages 1..3 of 30 s each, the last
// on LB1 OUT1. IN-3 is off.
TImage site()
{
    TImage image;
    TAlarmRecord in1(image, 1);
    in1.setEnabled(true);
    in1.stage(1).setDuration(2);
    in1.stage(1).setOutputBit(Layout::outputBit(1, 2), true);
    in1.stage(2).setDuration(255);
    in1.stage(2).setK2(true);
    in1.stage(4).setDuration(2);
    TAlarmRecord in2(image, 2);
    in2.setEnabled(true);
    in2.setDelayCode(4);
    for (int k = 1; k <= 3; ++k)
        in2.stage(k).setDuration(2);
    in2.stage(3).setOutputBit(Layout::outputBit(1, 1), true);
    return image;
}

// One input of the document as an XML reader sees it.
struct Drawn {
    std::vector<int> stages;         // of its stage bars
    QStringList starts;              // of its stage bars: x, or "unknown"
    QStringList labels;              // the parts of each label, joined by "|"
    std::map<QString, double> ticks; // time -> x
};

std::map<int, Drawn> drawnOf(const QString& svg, QString* error)
{
    std::map<int, Drawn> inputs;
    QXmlStreamReader xml(svg);
    Drawn* in = nullptr;
    bool label = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QStringLiteral("g")) {
            in = &inputs[a.value("data-input").toInt()];
        } else if (xml.name() == QStringLiteral("rect") && a.value("class") == QStringLiteral("stage")) {
            in->stages.push_back(a.value("data-stage").toInt());
            in->starts << (a.hasAttribute("data-start") ? a.value("data-start").toString() : a.value("x").toString());
            EXPECT_GE(a.value("width").toDouble(), 0);
        } else if (xml.name() == QStringLiteral("text")) {
            label = a.value("class") == QStringLiteral("label");
            if (label)
                in->labels << QString();
            else if (a.value("class") == QStringLiteral("time"))
                in->ticks[xml.readElementText()] = a.value("x").toDouble();
        } else if (xml.name() == QStringLiteral("tspan") && label) {
            in->labels.back() += (in->labels.back().isEmpty() ? "" : "|") + xml.readElementText();
        }
    }
    *error = xml.hasError() ? xml.errorString() : QString();
    return inputs;
}

} // namespace

TEST(ToolMatrix, MatrixAsTextCsvAndJsonTimelineAsSvg)
{
    QTemporaryDir dir;
    const QString usr = dir.filePath("site.usr");
    ASSERT_TRUE(TImageFile::write(usr.toStdString(), site()).ok());
    TNamesFile::Names names;
    names[0] = "Пожар <1> & \"2\"";
    names[1] = "Лестница; выход\x01";
    ASSERT_TRUE(TNamesFile::write(dir.filePath("site.ini").toStdString(), names).ok());

    TToolRun run = TToolRun::of({"matrix", usr}, dir.filePath("data"));
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n');
    EXPECT_EQ(lines[0].simplified(), "Вход LB1 OUT1 LB1 OUT2 LB1 OUT3 LB1 OUT4 Реле в KT7-CU K1 Реле в KT7-CU K2");
    EXPECT_EQ(lines[1].simplified(), "IN-1 Пожар <1> & \"2\" 1 2");
    // Columns aligned: the cells stand under their heads.
    EXPECT_EQ(lines[1].indexOf(" 1 ") + 1, lines[0].indexOf("LB1 OUT2"));
    EXPECT_EQ(lines[2].simplified(), "IN-2 Лестница; выход\\x01 3");
    EXPECT_TRUE(run.out.contains("Ни один алгоритм не включает: LB1 OUT3, LB1 OUT4, Реле в KT7-CU K1\n"))
        << run.out.toStdString();

    run = TToolRun::of({"matrix", usr, "--csv"}, dir.filePath("data"));
    ASSERT_EQ(run.status, 0);
    // A quote or a ";" in a name: the field is quoted, its quotes doubled.
    EXPECT_EQ(run.outBytes,
              QByteArray("\xEF\xBB\xBFВход;LB1 OUT1;LB1 OUT2;LB1 OUT3;LB1 OUT4;Реле в KT7-CU K1;Реле в "
                         "KT7-CU K2\r\n"
                         "\"IN-1 Пожар <1> & \"\"2\"\"\";;1;;;;2\r\n"
                         "\"IN-2 Лестница; выход\x01\";3;;;;;\r\n"));

    run = TToolRun::of({"matrix", usr, "--json"}, dir.filePath("data"));
    ASSERT_EQ(run.status, 0);
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.outBytes, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    const QJsonArray inputs = json["inputs"].toArray();
    ASSERT_EQ(inputs.size(), 2);
    const QJsonObject in2 = inputs[1].toObject();
    EXPECT_EQ(in2["delay"].toInt(), 60);
    EXPECT_EQ(in2["stages"].toArray()[2].toObject()["start"].toInt(), 120);
    EXPECT_EQ(in2["cells"].toObject()["LB1 OUT1"].toArray(), QJsonArray({3}));
    const QJsonObject stage2 = inputs[0].toObject()["stages"].toArray()[1].toObject();
    EXPECT_TRUE(stage2["end"].isNull() && stage2["unlimited"].toBool());
    EXPECT_EQ(inputs[0].toObject()["idle"].toArray(), QJsonArray({4}));
    EXPECT_EQ(json["columns"].toArray().size(), 6);
    EXPECT_FALSE(json["columns"].toArray()[4].toObject()["used"].toBool());

    // A control character in a name still gives XML that parses.
    run = TToolRun::of({"timeline", usr, "--svg"}, dir.filePath("data"));
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QString xmlError;
    std::map<int, Drawn> drawn = drawnOf(run.out, &xmlError);
    EXPECT_TRUE(xmlError.isEmpty()) << xmlError.toStdString();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[1].stages, (std::vector<int>{1, 2}));
    EXPECT_EQ(drawn[2].stages, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(run.out.contains("IN-1 Пожар &lt;1&gt; &amp; &quot;2&quot;"));
    EXPECT_TRUE(run.out.contains("Не выполняется: этап 4 (после этапа 2, который работает неограниченно)"));
    // A stage is labelled with what it does alone.
    EXPECT_EQ(drawn[1].labels,
              QStringList({"Срабатывание, задержка 00:00", "Этап 1|00:00–00:30 (00:30)|Панель №1|1 вых.",
                           "Этап 2|с 00:30, неограниченно|1 реле"}));
    EXPECT_EQ(drawn[2].labels[1], "Этап 1|01:00–01:30 (00:30)");
    // One time scale: IN-1 has an open end, IN-2 none, and their ticks
    // stand at the same places.
    EXPECT_EQ(drawn[1].ticks, drawn[2].ticks);
    EXPECT_EQ(drawn[2].ticks.rbegin()->first, "02:30");

    run = TToolRun::of({"timeline", usr, "--svg", "--input", "2"}, dir.filePath("data"));
    ASSERT_EQ(run.status, 0);
    drawn = drawnOf(run.out, &xmlError);
    EXPECT_TRUE(xmlError.isEmpty());
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[2].stages, (std::vector<int>{1, 2, 3}));

    // A delay without a list entry: the stages are drawn as not known.
    TImage unknown = site();
    TAlarmRecord(unknown, 2).setDelayCode(27);
    ASSERT_TRUE(TImageFile::write(usr.toStdString(), unknown).ok());
    run = TToolRun::of({"timeline", usr, "--svg", "--input", "2"}, dir.filePath("data"));
    ASSERT_EQ(run.status, 0);
    drawn = drawnOf(run.out, &xmlError);
    EXPECT_EQ(drawn[2].starts, QStringList({"unknown", "unknown", "unknown"}));
    EXPECT_EQ(drawn[2].labels[1], "Этап 1|? (00:30)");

    // The site's names of zones and relays: in the CSV's heads, as JSON
    // names, and below the text; the cells keep their heads.
    TSiteNames named;
    named.zones[static_cast<size_t>(Layout::outputBit(1, 2))] = "Зал; 1";
    named.controllerRelays[1] = "Лифты";
    TNamesFile::Names algorithms;
    ASSERT_TRUE(TNamesFile::read(dir.filePath("site.ini").toStdString(), algorithms).ok());
    ASSERT_TRUE(TNamesFile::write(dir.filePath("site.ini").toStdString(), algorithms, named).ok());
    run = TToolRun::of({"matrix", usr, "--csv"}, dir.filePath("data"));
    EXPECT_TRUE(run.outBytes.startsWith("\xEF\xBB\xBFВход;LB1 OUT1;\"LB1 OUT2 (Зал; 1)\";LB1 OUT3;LB1 OUT4;Реле в "
                                        "KT7-CU K1;Реле в KT7-CU K2 (Лифты)\r\n"))
        << run.out.toStdString();
    run = TToolRun::of({"matrix", usr, "--json"}, dir.filePath("data"));
    const QJsonArray columns = QJsonDocument::fromJson(run.outBytes).object()["columns"].toArray();
    EXPECT_EQ(columns[1].toObject()["name"], "Зал; 1");
    EXPECT_FALSE(columns[0].toObject().contains("name"));
    run = TToolRun::of({"matrix", usr}, dir.filePath("data"));
    EXPECT_TRUE(run.out.endsWith("\nИмена зон и реле:\nLB1 OUT2: Зал; 1\nРеле в KT7-CU K2: Лифты\n"))
        << run.out.toStdString();
}

TEST(ToolMatrix, OptionsThatDoNotFitTheCommandAreRefused)
{
    QTemporaryDir dir;
    const QString usr = dir.filePath("site.usr");
    ASSERT_TRUE(TImageFile::write(usr.toStdString(), site()).ok());
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"matrix", usr, "--csv", "--json"}, "kt7tool: matrix: --csv and --json ask for two formats; give one\n"},
        {{"matrix", usr, "--svg"}, "kt7tool: matrix: --svg belongs to kt7tool timeline\n"},
        {{"timeline", usr}, "kt7tool: timeline: the timelines are drawn as SVG; give --svg\n"},
        {{"timeline", usr, "--svg", "--json"}, "kt7tool: timeline: --json belongs to kt7tool matrix\n"},
        {{"timeline", usr, "--svg", "--input", "3"}, "kt7tool: timeline: IN-3: the algorithm is switched off\n"},
        {{"timeline", usr, "--svg", "--input", "25"}, "kt7tool: --input: expected a number from 1 to 24, got '25'\n"},
        {{"matrix", usr, "--input", "2"}, "kt7tool: matrix: --input belongs to kt7tool timeline\n"},
        // Options of other commands: none is taken and ignored.
        {{"show", usr, "--csv"}, "kt7tool: show: --csv belongs to kt7tool matrix\n"},
        {{"show", usr, "--input", "3"}, "kt7tool: show: takes no --input (see kt7tool show --help)\n"},
        {{"check", usr, "--names-a", "x"}, "kt7tool: check: --names-a belongs to kt7tool diff\n"},
        {{"diff", usr, usr, "--json"}, "kt7tool: diff: takes no --json (see kt7tool diff --help)\n"},
        {{"backups", "--com", "3"}, "kt7tool: backups: takes no --com (see kt7tool backups --help)\n"},
        {{"ports", "-q"}, "kt7tool: ports: takes no -q (see kt7tool ports --help)\n"},
        // Refused before anything is opened: the device is not looked for.
        {{"write", usr, "--names", "/nonexistent.ini", "--device", dir.filePath("none")},
         "kt7tool: write: takes no --names (see kt7tool write --help)\n"},
    };
    for (const auto& [arguments, message] : cases) {
        const TToolRun run = TToolRun::of(arguments, dir.filePath("data"));
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(run.err, message);
        EXPECT_TRUE(run.out.isEmpty());
    }
}
