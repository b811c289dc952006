// kt7tool pack as a process: the document read back from its package, against
// kt7sim for the verification and against kt7tool matrix --json for every
// cell of the matrix.

#include "app/TMain.h"
#include "app/TPackCommand.h"
#include "image/TAlarmRecord.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"
#include "tests/report/DocxContent.h"
#include "tests/support/TScriptedDialogs.h"
#include "tests/support/TSimProcess.h"
#include "tests/tool/TToolRun.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <zip.h>

#include <map>

namespace {

// Every unit there is: 12 splitters with paging and a console, 3 message
// modules, 6 relay modules; 24 inputs of five stages, the last unlimited,
// each switching its own pattern of outputs, relays, K1 and K2.
TImage largest()
{
    TImage image;
    image.setByte(Layout::CompositionByte, 0xB6);
    image.setByte(Layout::ModuleByte, 0xF0);
    for (int i = 1; i <= Layout::InputCount; ++i) {
        TAlarmRecord record(image, i);
        record.setEnabled(true);
        record.setDelayCode(static_cast<uint8_t>(i % 27));
        for (int k = 1; k <= Layout::StageCount; ++k) {
            TStageRecord stage = record.stage(k);
            stage.setDuration(k == Layout::StageCount ? 255 : static_cast<uint8_t>(2 + (i * k) % 9));
            stage.setMessageCode(static_cast<uint8_t>((i + k) % 32));
            for (int bit = 0; bit < Layout::OutputBits; ++bit)
                stage.setOutputBit(bit, (bit * 7 + i * 3 + k) % 11 == 0);
            for (int bit = 0; bit < Layout::RelayBits; ++bit)
                stage.setRelayBit(bit, (bit * 5 + i + k * 2) % 13 == 0);
            stage.setK1((i + k) % 4 == 0);
            stage.setK2((i * k) % 6 == 1);
        }
    }
    image.setBit(Layout::buttonOffset(2), 5, true);
    return image;
}

// "mm:ss" of seconds.
QString minutes(int seconds)
{
    return QString::asprintf("%02d:%02d", seconds / 60, seconds % 60);
}

// A part of the package, with the time the document was made taken out.
QString part(const QString& docx, const char* name)
{
    QByteArray data;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(docx).constData(), ZIP_RDONLY, &error);
    zip_stat_t st;
    if (archive && zip_stat(archive, name, 0, &st) == 0) {
        data.resize(static_cast<qsizetype>(st.size));
        if (zip_file_t* f = zip_fopen(archive, name, 0)) {
            zip_fread(f, data.data(), st.size);
            zip_fclose(f);
        }
    }
    if (archive)
        zip_close(archive);
    static const QRegularExpression made(
        QStringLiteral("(Дата и время составления</w:t>.*?<w:t xml:space=\"preserve\">)[^<]*"),
        QRegularExpression::DotMatchesEverythingOption);
    return QString::fromUtf8(data).replace(made, QStringLiteral("\\1DATE"));
}

class ToolPack : public ::testing::Test {
protected:
    // The image with its names file: algorithm names and the site's.
    QString project(const QString& name, const TImage& image, const TSiteNames& site)
    {
        const QString usr = dir.filePath(name + ".usr");
        EXPECT_TRUE(TImageFile::write(usr.toStdString(), image).ok());
        TNamesFile::Names names;
        for (int i = 0; i < Layout::InputCount; ++i)
            names[static_cast<size_t>(i)] = "Пожар, зона " + std::to_string(i + 1);
        const std::string ini = dir.filePath(name + ".ini").toStdString();
        EXPECT_TRUE(TNamesFile::write(ini, names, site).ok());
        return usr;
    }
    static TSiteNames site()
    {
        TSiteNames site;
        site.object = "Гостиница «Северная»";
        site.address = "г. Мурманск, ул. Ленина, 12";
        site.engineer = "Иванов И. И.";
        site.zones[static_cast<size_t>(Layout::outputBit(2, 3))] = "2 этаж, коридор";
        site.relays[static_cast<size_t>(Layout::relayBit(6, 4))] = "Лифты вниз";
        site.controllerRelays[1] = "Дымоудаление";
        return site;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ToolPack, TitleVerificationPagesAndSectionsForAnEqualADifferingAndNoController)
{
    TImage image = largest();
    const QString usr = project("site", image, site());
    const QString docx = dir.filePath("site.docx");

    // No controller: not verified, and the title says none answered.
    TToolRun run = TToolRun::of({"pack", usr, "-o", docx});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    DocxContent doc = DocxContent::load(docx);
    ASSERT_FALSE(doc.tables.empty());
    std::map<QString, QString> facts;
    for (const auto& row : doc.tables[0].rows)
        facts[row.at(0).text()] = row.at(1).text();
    EXPECT_EQ(facts["Объект"], "Гостиница «Северная»");
    EXPECT_EQ(facts["Адрес"], "г. Мурманск, ул. Ленина, 12");
    EXPECT_EQ(facts["Проект"], "site");
    EXPECT_EQ(facts["Файл проекта"], usr);
    EXPECT_EQ(facts["Контроллер"], "не подключен");
    EXPECT_EQ(facts["Программа"], "kt7config " + TToolRun::of({"--version"}).out.section(' ', 1).trimmed());
    EXPECT_EQ(facts["Наладчик"], "Иванов И. И.");
    EXPECT_FALSE(facts["Дата и время составления"].isEmpty());
    EXPECT_TRUE(doc.bodyText().contains(
        "\nКонфигурация не сверена с контроллером: при составлении документа контроллер не был подключен.\n"));
    EXPECT_TRUE(doc.bodyText().contains("\n2. Проверка конфигурации\n"));

    // The page numbers are fields the word processor fills in; the matrix
    // and the timelines lie on landscape pages between upright ones.
    EXPECT_EQ(doc.footerFields, QStringList({"PAGE", "NUMPAGES"}));
    EXPECT_EQ(doc.footerText, "Гостиница «Северная» · стр. 1 из 1");
    ASSERT_EQ(doc.sections.size(), 3u);
    EXPECT_FALSE(doc.sections[0].landscape);
    EXPECT_TRUE(doc.sections[1].landscape);
    EXPECT_GT(doc.sections[1].width, doc.sections[1].height);
    EXPECT_FALSE(doc.sections[2].landscape);
    EXPECT_LT(doc.sections[2].width, doc.sections[2].height);
    for (int t = 0; t < static_cast<int>(doc.tables.size()); ++t) {
        const bool matrixOrTimeline = doc.tables[static_cast<size_t>(t)].cell(1, 1).text() == "Вход"
            || doc.tables[static_cast<size_t>(t)].cell(1, 1).text().startsWith("Время от срабатывания");
        EXPECT_EQ(doc.sectionOfTable(t).landscape, matrixOrTimeline) << t;
    }
    // The signatures close the document.
    const DocxTable& signatures = doc.tables.back();
    ASSERT_EQ(signatures.rows.size(), 4u);
    EXPECT_EQ(signatures.cell(1, 2).text(), "ФИО");
    EXPECT_EQ(signatures.cell(2, 1).paragraphs.at(0), "Наладчик");
    EXPECT_EQ(signatures.cell(2, 2).paragraphs.at(0), "Иванов И. И.");
    EXPECT_EQ(signatures.cell(3, 1).paragraphs.at(0), "Представитель заказчика");
    EXPECT_EQ(signatures.cell(4, 1).paragraphs.at(0), "Инспектор");

    // A controller that holds the project: equal, with its serial and the time.
    const QString held = dir.filePath("held.usr");
    ASSERT_TRUE(TImageFile::write(held.toStdString(), image).ok());
    {
        TSimProcess sim({"--baud", "0", "--image", held});
        run = TToolRun::of({"pack", usr, "-o", docx, "--device", sim.device()}, dir.filePath("data"));
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        doc = DocxContent::load(docx);
        ASSERT_FALSE(doc.tables.empty());
        EXPECT_EQ(doc.tables[0].cell(5, 2).text(), "S/N-KT7S (01.02.03), серийный номер KT7S010203");
        EXPECT_TRUE(doc.bodyText().contains(QRegularExpression(
            "\nПамять контроллера совпадает с проектом\\. Контроллер S/N-KT7S \\(01\\.02\\.03\\) \\(серийный номер "
            "KT7S010203\\) прочитан и сверен с проектом \\S.*\\S\\.\n")))
            << doc.bodyText().toStdString();
    }

    // One that differs: the differences in the words of kt7tool verify, and
    // the status says so.
    TAlarmRecord(image, 2).stage(1).setOutputBit(Layout::outputBit(2, 3), true);
    image.setBit(Layout::buttonOffset(2), 5, false);
    ASSERT_TRUE(TImageFile::write(held.toStdString(), image).ok());
    TSimProcess sim({"--baud", "0", "--image", held});
    const TToolRun verify = TToolRun::of({"verify", usr, "--device", sim.device()}, dir.filePath("data"));
    ASSERT_EQ(verify.status, 1) << verify.err.toStdString();
    run = TToolRun::of({"pack", usr, "-o", docx, "--device", sim.device()}, dir.filePath("data"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "kt7tool: warning: the controller differs from " + usr + " (2 differences, listed in the pack)\n");
    doc = DocxContent::load(docx);
    const QString body = doc.bodyText();
    EXPECT_TRUE(body.contains("\nПамять контроллера отличается от проекта, различий: 2. Контроллер S/N-KT7S"));
    const QStringList lines = verify.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(
        lines,
        QStringList({"- Кнопка 2, Zarna KT7-LB №2 OUT2", "+ IN-2, Этап 1, Zarna KT7-LB №2 OUT3 (2 этаж, коридор)"}));
    for (const QString& line : lines)
        EXPECT_TRUE(body.contains("\n" + line + "\n")) << line.toStdString();

    // The project written since: equal, and the pack names the backup of
    // what the controller held before that write.
    const TToolRun write
        = TToolRun::of({"write", usr, "--device", sim.device(), "--force", "-q"}, dir.filePath("data"));
    ASSERT_EQ(write.status, 0) << write.err.toStdString();
    run = TToolRun::of({"pack", usr, "-o", docx, "--device", sim.device()}, dir.filePath("data"));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QRegularExpressionMatch kept
        = QRegularExpression("до последней записи, сохранена в резервной копии (\\S+\\.usr) \\(")
              .match(DocxContent::load(docx).bodyText());
    ASSERT_TRUE(kept.hasMatch()) << DocxContent::load(docx).bodyText().toStdString();
    TImage before;
    ASSERT_TRUE(TImageFile::read(kept.captured(1).toStdString(), before));
    EXPECT_EQ(before, image);

    // Another user has written a third configuration since: the backups of
    // this user know nothing of what the controller held before that write.
    image.setBit(Layout::buttonOffset(3), 7, !image.bit(Layout::buttonOffset(3), 7));
    ASSERT_TRUE(TImageFile::write(held.toStdString(), image).ok());
    ASSERT_EQ(TToolRun::of({"write", held, "--device", sim.device(), "--force", "-q"}, dir.filePath("other")).status,
              0);
    run = TToolRun::of({"pack", usr, "-o", docx, "--device", sim.device()}, dir.filePath("data"));
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(DocxContent::load(docx).bodyText().contains("до последней записи"));
}

TEST_F(ToolPack, EveryMatrixCellIsTheMatrixOfKt7toolWithRowHeadsOnEveryPart)
{
    const QString usr = project("site", largest(), site());
    const QString docx = dir.filePath("site.docx");
    const TToolRun run = TToolRun::of({"pack", usr, "-o", docx});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const DocxContent doc = DocxContent::load(docx);
    const TToolRun matrix = TToolRun::of({"matrix", usr, "--json"});
    ASSERT_EQ(matrix.status, 0);
    const QJsonObject json = QJsonDocument::fromJson(matrix.outBytes).object();

    // Each column as the document heads it: unit, then OUTn or Kn.
    std::map<QString, QJsonObject> columns;
    for (const QJsonValue c : json["columns"].toArray()) {
        const QJsonObject column = c.toObject();
        const QString kind = column["kind"].toString();
        const QString key = kind == "output"
            ? QString("Zarna KT7-LB №%1|OUT%2").arg(column["splitter"].toInt()).arg(column["output"].toInt())
            : kind == "relay"
            ? QString("Релейный модуль №%1|K%2").arg(column["module"].toInt()).arg(column["relay"].toInt())
            : "Реле в KT7-CU|" + kind;
        columns[key] = column;
    }
    ASSERT_EQ(columns.size(), 74u);

    std::map<QString, int> seen;
    int parts = 0;
    for (const DocxTable& t : doc.tables) {
        if (t.cell(1, 1).text() != "Вход")
            continue;
        ++parts;
        EXPECT_EQ(t.headingRows, std::vector<int>({1, 2}));
        const QJsonArray inputs = json["inputs"].toArray();
        ASSERT_EQ(t.rows.size(), 2u + inputs.size());
        // The units of the first heading row over the columns of the second.
        QStringList units;
        for (size_t c = 1; c < t.rows[0].size(); ++c)
            for (int s = 0; s < t.rows[0][c].span; ++s)
                units << t.rows[0][c].text();
        ASSERT_EQ(units.size(), static_cast<qsizetype>(t.rows[1].size() - 1));
        for (qsizetype c = 0; c < units.size(); ++c) {
            const DocxCell& head = t.rows[1][static_cast<size_t>(c + 1)];
            const QString key = units[c] + "|" + head.paragraphs.at(0);
            ASSERT_EQ(columns.count(key), 1u) << key.toStdString();
            ++seen[key];
            const std::map<QString, QString> named{{"Zarna KT7-LB №2|OUT3", "2 этаж, коридор"},
                                                   {"Релейный модуль №6|K4", "Лифты вниз"},
                                                   {"Реле в KT7-CU|K2", "Дымоудаление"}};
            EXPECT_EQ(head.paragraphs.value(1), named.count(key) ? named.at(key) : QString()) << key.toStdString();
            const QString jsonHead = columns[key]["head"].toString();
            for (qsizetype r = 0; r < inputs.size(); ++r) {
                const QJsonObject input = inputs[r].toObject();
                const DocxCell& rowHead = t.rows[static_cast<size_t>(r + 2)][0];
                EXPECT_EQ(rowHead.paragraphs.value(0), QString("IN-%1").arg(input["input"].toInt()));
                EXPECT_EQ(rowHead.paragraphs.value(1), QString("Пожар, зона %1").arg(input["input"].toInt()));
                QStringList expected;
                for (const QJsonValue k : input["cells"].toObject()[jsonHead].toArray())
                    for (const QJsonValue s : input["stages"].toArray())
                        if (s.toObject()["stage"] == k) {
                            const QJsonObject stage = s.toObject();
                            expected << QString::number(k.toInt()) + ": "
                                    + (stage["unlimited"].toBool()
                                           ? "с " + minutes(stage["start"].toInt())
                                           : minutes(stage["start"].toInt()) + "–" + minutes(stage["end"].toInt()));
                        }
                const DocxCell& cell = t.rows[static_cast<size_t>(r + 2)][static_cast<size_t>(c + 1)];
                EXPECT_EQ(cell.paragraphs.join('\n'), expected.join('\n'))
                    << key.toStdString() << " IN-" << input["input"].toInt();
            }
        }
    }
    EXPECT_EQ(parts, 7) << "three units to a landscape page";
    EXPECT_EQ(seen.size(), columns.size());
    for (const auto& [key, times] : seen)
        EXPECT_EQ(times, 1) << key.toStdString();

    // On standard output the package itself; a PDF needs a file beside it.
    TToolRun out = TToolRun::of({"pack", usr, "-o", "-"});
    EXPECT_EQ(out.status, 0) << out.err.toStdString();
    EXPECT_TRUE(out.outBytes.startsWith("PK\x03\x04"));
    out = TToolRun::of({"pack", usr, "-o", "-", "--pdf"});
    EXPECT_EQ(out.status, 2);
    EXPECT_TRUE(out.outBytes.isEmpty());

    // The PDF, made by LibreOffice where it is installed; where it is not
    // the document is written all the same and the status tells.
    QProcess without;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", dir.path());
    without.setProcessEnvironment(env);
    const QString other = dir.filePath("other.docx");
    without.start(KT7TOOL_PATH, {"pack", usr, "-o", other, "--pdf"});
    ASSERT_TRUE(without.waitForFinished(60000));
    EXPECT_EQ(without.exitCode(), 2);
    EXPECT_EQ(QString::fromUtf8(without.readAllStandardError()),
              "kt7tool: pack: no PDF made: LibreOffice (soffice) is not installed; " + other + " is written\n");
    EXPECT_TRUE(QFile::exists(other));
    if (QStandardPaths::findExecutable("soffice").isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    QProcess with;
    with.start(KT7TOOL_PATH, {"pack", usr, "-o", docx, "--pdf", "-v"});
    ASSERT_TRUE(with.waitForFinished(240000));
    EXPECT_EQ(with.exitCode(), 0) << with.readAllStandardError().toStdString();
    QFile pdf(dir.filePath("site.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_GT(pdf.size(), 20000);
}

TEST_F(ToolPack, TheWindowMakesTheDocumentKt7toolMakesAndSaysWhenThereIsNoPdf)
{
    const QString usr = project("site", largest(), site());
    const QString tool = dir.filePath("tool.docx");
    const TToolRun run = TToolRun::of({"pack", usr, "-o", tool});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    // The window, as the program starts it, on a machine without LibreOffice.
    QCoreApplication::setApplicationVersion(TToolRun::of({"--version"}).out.section(' ', 1).trimmed());
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()));
    TScriptedDialogs dialogs;
    Main = new TMain;
    Main->show();
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    dialogs.openPaths.push_back(usr);
    Main->findChild<QToolButton*>("TBOpen")->click();
    QStringList opened;
    Main->packCommand()->setOpener([&opened](const QString& file) {
        opened << file;
        return true;
    });
    const QString window = dir.filePath("window.docx");
    dialogs.savePaths.push_back(window);
    dialogs.answers = {mbChoice + 0}; // "Открыть"
    QTest::keyClick(Main, Qt::Key_P, Qt::ControlModifier);
    QTRY_VERIFY(!Main->packCommand()->running());
    qputenv("PATH", path);
    // With LibreOffice the PDF comes while the window goes on.
    if (!QStandardPaths::findExecutable("soffice").isEmpty()) {
        dialogs.savePaths.push_back(dir.filePath("again.docx"));
        dialogs.answers = {mbChoice + 1}; // "Закрыть"
        QTest::keyClick(Main, Qt::Key_P, Qt::ControlModifier);
        EXPECT_TRUE(Main->packCommand()->running());
        QTRY_VERIFY_WITH_TIMEOUT(!Main->packCommand()->running(), 180000);
        EXPECT_EQ(Main->packCommand()->pdf(), dir.filePath("again.pdf"));
        EXPECT_EQ(dialogs.texts().value(1),
                  "Документация к сдаче сохранена:\n" + dir.filePath("again.docx") + "\n" + dir.filePath("again.pdf"));
        dialogs.messages.pop_back();
    }
    delete Main;
    Main = nullptr;

    ASSERT_GE(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[1].fileName, "site-сдача.docx");
    EXPECT_EQ(dialogs.fileRequests[1].folder, dir.path());
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Документация к сдаче сохранена:\n" + window
                          + "\nPDF не создан: LibreOffice не установлен (нет программы soffice)."});
    EXPECT_EQ(opened, QStringList{window});
    const QString document = part(window, "word/document.xml");
    EXPECT_TRUE(document.contains("DATE</w:t>"));
    EXPECT_EQ(document, part(tool, "word/document.xml"));
    EXPECT_EQ(part(window, "word/footer1.xml"), part(tool, "word/footer1.xml"));
}
