// The report read back from the written .docx.

#include "tests/report/DocxContent.h"

#include "image/TAlarmRecord.h"
#include "report/TDocxWriter.h"
#include "report/TReportGenerator.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
TReportInput newProject()
{
    TReportInput in;
    in.projectName = "Объект 1";
    in.splitterCount = "1";
    in.consoleCount = "0";
    in.messageModuleCount = "0";
    in.relayModuleCount = "0";
    in.dateTime = "07.12.2026 21:00:00";
    for (int i = 0; i < Layout::InputCount; ++i)
        in.inputCaptions[i] = "IN-" + std::to_string(i + 1) + " ";
    return in;
}

struct Result {
    DocxContent doc;
    bool failed = false;
};

Result generate(const TReportInput& in)
{
    TWordDocument word;
    Result result;
    try {
        TReportGenerator(in, word, [] {}).run();
    } catch (const std::exception&) {
        result.failed = true;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.docx"));
    TDocxWriter::save(word.document(), QFile::encodeName(path).toStdString());
    result.doc = DocxContent::load(path);
    return result;
}

QString q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

TAlarmRecord onlyAlgorithm(TReportInput& in, int input)
{
    TAlarmRecord record(in.image, input);
    record.setEnabled(true);
    in.inputCaptions[input - 1] = "IN-" + std::to_string(input) + " Пожар";
    return record;
}
} // namespace

TEST(ReportLayout, NewProjectHasTitleAndTheTwoGeneralTablesOnly)
{
    const Result r = generate(newProject());
    ASSERT_FALSE(r.failed);
    const DocxContent& d = r.doc;
    ASSERT_FALSE(d.paragraphs.empty());
    EXPECT_EQ(d.paragraphs[0].text.at(0), QChar(0x43)); // Latin C
    EXPECT_EQ(d.paragraphs[0].text, q("Cистемы оповещения ZARNA KT7"));
    EXPECT_EQ(d.paragraphs[0].halfPoints, 28);
    EXPECT_TRUE(d.paragraphs[0].bold);
    EXPECT_EQ(d.paragraphs[0].jc, "center");
    EXPECT_TRUE(d.bodyText().contains(q("Имя проекта конфигурации -\tОбъект 1")));
    EXPECT_TRUE(d.bodyText().contains(q("Время генерации отчета -\t07.12.2026 21:00:00")));
    EXPECT_TRUE(d.bodyText().contains(q("Общие настройки.")));
    ASSERT_EQ(d.tables.size(), 2u);
    const DocxTable& comp = d.tables[0];
    ASSERT_EQ(comp.rows.size(), 4u);
    EXPECT_EQ(comp.cell(1, 1).text(), q("Кол-во раветвителей Zarna KT7-LB"));
    const char* counts[] = {"1", "0", "0", "0"};
    for (int row = 1; row <= 4; ++row)
        EXPECT_EQ(comp.cell(row, 2).text(), q(counts[row - 1]));
    EXPECT_EQ(comp.grid.back(), 800); // column 2 is 40 pt
    EXPECT_EQ(d.tables[1].cell(1, 2).text(), q("нет"));
    EXPECT_EQ(d.tables[1].cell(2, 2).text(), q("нет"));
    EXPECT_FALSE(d.bodyText().contains(QChar('\f')));
    EXPECT_FALSE(d.bodyText().contains(q("Карта")));
}

TEST(ReportLayout, MusicTableIsSixByThirteenUnderItsHeadingBand)
{
    TReportInput in = newProject();
    in.music = true;
    in.musicOutputs[Layout::outputBit(3, 2)] = true;
    const Result r = generate(in);
    ASSERT_EQ(r.doc.tables.size(), 3u);
    const DocxTable& t = r.doc.tables[2];
    ASSERT_EQ(t.rows.size(), 6u);
    ASSERT_EQ(t.rows[0].size(), 2u);
    EXPECT_EQ(t.cell(1, 1).text(), q("Выходы\nразветвителя"));
    EXPECT_EQ(t.cell(1, 1).vmerge, "restart");
    EXPECT_EQ(t.cell(2, 1).vmerge, "continue");
    EXPECT_EQ(t.cell(1, 2).span, 12);
    EXPECT_EQ(t.cell(1, 2).text(), q("Номера разветвителей Zarna KT7-LB"));
    EXPECT_EQ(t.cell(2, 2).text(), q("№1"));
    EXPECT_EQ(t.cell(2, 13).text(), q("№12"));
    EXPECT_EQ(t.cell(2, 5).bottom, "double");
    // The heading band's rows repeat on every page the table goes on to.
    EXPECT_EQ(t.headingRows, (std::vector<int>{1, 2}));
    EXPECT_TRUE(r.doc.tables[0].headingRows.empty());
    for (int row = 3; row <= 6; ++row) {
        ASSERT_EQ(t.rows[row - 1].size(), 13u);
        EXPECT_EQ(t.cell(row, 1).text(), "OUT" + QString::number(row - 2));
    }
    EXPECT_EQ(t.cell(4, 4).text(), "X");
    EXPECT_EQ(t.countMarks(), 1);
    EXPECT_EQ(t.grid.size(), 13u);
    EXPECT_EQ(t.grid.front(), 1120);
    // The grid tables, headings included, have narrow cell margins of 2 pt;
    // the other tables keep the word processor's own.
    EXPECT_EQ(t.leftMargin, 40);
    EXPECT_EQ(t.rightMargin, 40);
    EXPECT_EQ(r.doc.tables[0].leftMargin, -1);
}

TEST(ReportLayout, ConsoleAndPagingTables)
{
    TReportInput in = newProject();
    in.consoleIndex = 1;
    in.phonePaging = true;
    in.image.setBit(Layout::buttonOffset(1), 0, true);
    in.image.setBit(Layout::buttonOffset(12), 47, true);
    in.image.setBit(Layout::groupOffset(5), 6, true);
    const Result r = generate(in);
    ASSERT_EQ(r.doc.tables.size(), 4u);
    const DocxTable& console = r.doc.tables[2];
    ASSERT_EQ(console.rows.size(), 50u);
    EXPECT_EQ(console.cell(3, 3).text(), "X");
    EXPECT_EQ(console.cell(50, 14).text(), "X");
    EXPECT_EQ(console.countMarks(), 2);
    EXPECT_EQ(console.cell(1, 2).text(), q("Номера кнопок выбора зон (группы зон) трансляции"));
    EXPECT_EQ(console.cell(2, 2).text(), q("№1"));
    EXPECT_EQ(console.cell(3, 1).text(), q("Zarna\nKT7-LB\n№1"));
    EXPECT_EQ(console.cell(3, 1).vmerge, "restart");
    EXPECT_EQ(console.cell(6, 1).vmerge, "continue");
    EXPECT_EQ(console.cell(7, 1).vmerge, "restart");
    EXPECT_EQ(console.cell(6, 5).fill, "");
    EXPECT_EQ(console.cell(7, 5).fill, "E6E6E6"); // splitter 2
    EXPECT_EQ(console.cell(1, 1).span, 2);
    EXPECT_EQ(console.leftMargin, 40);
    EXPECT_EQ(console.rightMargin, 40);

    const DocxTable& paging = r.doc.tables[3];
    ASSERT_EQ(paging.rows.size(), 50u);
    for (int j = 2; j <= 13; ++j)
        EXPECT_EQ(paging.cell(2, j).text(), QString::number(199 + j));
    EXPECT_EQ(paging.cell(1, 2).text(), q("Коды доступа к логическим группам зон"));
    EXPECT_EQ(paging.cell(6 + 3, 5 + 2).text(), "X");
    EXPECT_EQ(paging.leftMargin, 40);
    EXPECT_EQ(paging.rightMargin, 40);
    EXPECT_EQ(r.doc.bodyText().count(QChar('\f')), 2);
}

TEST(ReportLayout, ConsoleAndPagingLeftOutWhenSwitchedOff)
{
    TReportInput in = newProject();
    in.image.setBit(Layout::buttonOffset(1), 0, true);
    in.image.setBit(Layout::groupOffset(1), 0, true);
    EXPECT_EQ(generate(in).doc.tables.size(), 2u);
}

TEST(ReportLayout, SingleAlgorithmOnInput24)
{
    TReportInput in = newProject();
    TAlarmRecord rec = onlyAlgorithm(in, 24);
    rec.setDelayCode(1);
    rec.stage(1).setDuration(2);
    rec.stage(1).setK1(true);
    rec.stage(1).setMessageCode(0);
    rec.stage(1).setOutputBit(0, true);
    rec.stage(2).setDuration(255);
    rec.stage(2).setMessageCode(8);
    rec.stage(2).setRelayBit(23, true);
    rec.stage(2).setK2(true);
    rec.stage(3).setMessageCode(31); // duration 0: nothing shows
    rec.stage(3).setOutputBit(5, true);
    rec.stage(4).setDuration(241);
    rec.stage(4).setMessageCode(31);
    const Result r = generate(in);
    ASSERT_FALSE(r.failed);
    const DocxContent& d = r.doc;
    EXPECT_EQ(d.bodyText().count(q("Карта программирования алгоритмов оповещения.")), 1);
    EXPECT_EQ(d.bodyText().count(q("Вход активации алгоритма -")), 1);
    EXPECT_TRUE(d.bodyText().contains(q("Вход активации алгоритма -\tIN-24 Пожар")));
    EXPECT_TRUE(d.bodyText().contains(q("Время задержки (мин:сек) -\t00:15")));
    ASSERT_EQ(d.tables.size(), 3u);
    const DocxTable& t = d.tables[2];
    ASSERT_EQ(t.rows.size(), 79u);
    EXPECT_EQ(t.headingRows, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(t.rows[0].size(), 2u);
    EXPECT_EQ(t.rows[4].size(), 6u);
    EXPECT_EQ(t.rows[5].size(), 7u);
    EXPECT_EQ(t.cell(1, 2).text(), q("Номера этапа"));
    EXPECT_EQ(t.cell(2, 6).text(), "5");
    EXPECT_EQ(t.cell(5, 1).text(), q("Номер сообщения"));
    EXPECT_EQ(t.cell(5, 1).bottom, "double");

    EXPECT_EQ(t.cell(3, 2).text(), "00:30");
    EXPECT_EQ(t.cell(4, 2).text(), q("Панель"));
    EXPECT_EQ(t.cell(5, 2).text(), "1");
    EXPECT_EQ(t.cell(6, 3).text(), "X");
    EXPECT_EQ(t.cell(54, 3).text(), "X");

    EXPECT_EQ(t.cell(3, 3).text(), q("неограниченно"));
    EXPECT_EQ(t.cell(4, 3).text(), "MS3-1");
    EXPECT_EQ(t.cell(5, 3).text(), "1");
    EXPECT_EQ(t.cell(55, 4).text(), "X");
    EXPECT_EQ(t.cell(79, 4).text(), "X");

    for (int row = 3; row <= 5; ++row)
        EXPECT_EQ(t.cell(row, 4).text(), "");
    EXPECT_EQ(t.cell(11, 5).text(), "");

    EXPECT_EQ(t.cell(3, 5).text(), q("неограниченно"));
    EXPECT_EQ(t.cell(4, 5).text(), "MS3-3");
    EXPECT_EQ(t.cell(5, 5).text(), "8");
    EXPECT_EQ(t.countMarks(), 4);

    EXPECT_EQ(t.cell(6, 1).text(), q("Zarna\nKT7-LB\n№1"));
    EXPECT_EQ(t.cell(9, 1).vmerge, "continue");
    EXPECT_EQ(t.cell(54, 1).text(), q("Реле в\nKT7-CU"));
    EXPECT_EQ(t.cell(55, 1).vmerge, "continue");
    EXPECT_EQ(t.cell(55, 2).text(), "K2");
    EXPECT_EQ(t.cell(56, 1).text(), q("Релейный\nмодуль\n№1"));
    EXPECT_EQ(t.cell(79, 2).text(), "K4");
    EXPECT_EQ(t.cell(6, 3).fill, "E6E6E6");
    EXPECT_EQ(t.cell(6, 4).fill, "");
    EXPECT_EQ(t.cell(79, 7).fill, "E6E6E6");
}

TEST(ReportLayout, CodesWithoutListEntryFailAfterTheEarlierSections)
{
    TReportInput in = newProject();
    in.music = true;
    onlyAlgorithm(in, 2).setDelayCode(27);
    Result r = generate(in);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.doc.tables.size(), 3u);
    EXPECT_TRUE(r.doc.bodyText().contains(q("Вход активации алгоритма -\tIN-2 Пожар")));
    EXPECT_FALSE(r.doc.bodyText().contains(q("Время задержки")));

    in = newProject();
    TAlarmRecord rec = onlyAlgorithm(in, 1);
    rec.stage(1).setDuration(2);
    rec.stage(2).setDuration(242);
    r = generate(in);
    EXPECT_TRUE(r.failed);
    ASSERT_EQ(r.doc.tables.size(), 3u);
    EXPECT_EQ(r.doc.tables[2].cell(3, 2).text(), "00:30");
}
