// kt7tool report writes the document the window makes for the same project,
// all but the line with the time it was made.

#include "app/TMain.h"
#include "image/TAlarmRecord.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"
#include "report/TDocxWriter.h"
#include "report/TReportGenerator.h"
#include "tests/support/TScriptedDialogs.h"
#include "tests/tool/TToolRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <zip.h>

namespace {

QByteArray documentXml(const QString& docx)
{
    int error = 0;
    zip_t* archive = zip_open(docx.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    if (!archive)
        return {};
    QByteArray data;
    zip_stat_t st;
    if (zip_stat(archive, "word/document.xml", 0, &st) == 0) {
        data.resize(static_cast<qsizetype>(st.size));
        zip_file_t* f = zip_fopen(archive, "word/document.xml", 0);
        if (f) {
            zip_fread(f, data.data(), st.size);
            zip_fclose(f);
        }
    }
    zip_close(archive);
    return data;
}

// The text of the run after the date label's tab.
QString withoutDate(QString xml)
{
    const qsizetype label = xml.indexOf(QStringLiteral("Время генерации отчета -"));
    const QString open = QStringLiteral("<w:t xml:space=\"preserve\">");
    const qsizetype start = xml.indexOf(open, label);
    const qsizetype end = xml.indexOf(QStringLiteral("</w:t>"), start);
    if (label < 0 || start < 0 || end < 0)
        return {};
    return xml.replace(start + open.size(), end - start - open.size(), QStringLiteral("DATE"));
}

} // namespace

TEST(ToolReport, SameDocumentAsTheWindowForTheSameProject)
{
    // Every section: 4 splitters with music (and a music bit past them), two
    // consoles, paging, two algorithms with names, relays and an unlimited stage.
    TImage image;
    image.setByte(Layout::CompositionByte, 0x3B);
    image.setByte(Layout::ModuleByte, 0xD8);
    for (const int bit : {0, 5, 15, 30})
        image.setBit(Layout::MusicMask, bit, true);
    image.setBit(Layout::buttonOffset(1), 0, true);
    image.setBit(Layout::buttonOffset(12), 47, true);
    image.setBit(Layout::groupOffset(7), 20, true);
    for (const int input : {1, 2}) {
        TAlarmRecord record(image, input);
        record.setEnabled(true);
        record.setDelayCode(static_cast<uint8_t>(input * 5));
        for (int k = 1; k <= 3; ++k) {
            TStageRecord stage = record.stage(k);
            stage.setDuration(k == 3 ? 255 : static_cast<uint8_t>(k * 3));
            stage.setMessageCode(static_cast<uint8_t>(k * 9 + input));
            stage.setOutputBit(k * 11 + input, true);
            stage.setRelayBit(k * 7 + input, true);
            stage.setK2(k == 2);
        }
    }
    QTemporaryDir dir;
    const QString usr = dir.filePath("site.usr");
    ASSERT_TRUE(TImageFile::write(usr.toStdString(), image).ok());
    TNamesFile::Names names;
    names[0] = "Пожар в зале";
    names[1] = "Эвакуация";
    ASSERT_TRUE(TNamesFile::write(dir.filePath("site.ini").toStdString(), names).ok());

    const QString docx = dir.filePath("site.docx");
    const TToolRun run = TToolRun::of({"report", usr, "-o", docx});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString tool = withoutDate(QString::fromUtf8(documentXml(docx)));
    ASSERT_FALSE(tool.isEmpty());
    // - is standard output, not a file of that name.
    const TToolRun piped = TToolRun::of({"report", usr, "-o", "-"});
    ASSERT_EQ(piped.status, 0) << piped.err.toStdString();
    EXPECT_FALSE(QFile::exists("-"));
    QFile streamed(dir.filePath("streamed.docx"));
    ASSERT_TRUE(streamed.open(QIODevice::WriteOnly));
    streamed.write(piped.outBytes);
    streamed.close();
    EXPECT_EQ(withoutDate(QString::fromUtf8(documentXml(streamed.fileName()))), tool);

    // The window opens the project as the user does and reports it.
    TScriptedDialogs dialogs;
    Main = new TMain;
    Main->show();
    dialogs.openPaths.push_back(usr);
    Main->findChild<QToolButton*>("TBOpen")->click();
    // Page 1 shown once, as a user checking the music outputs does: its boxes
    // then show the outputs of the present splitters only, which is what the
    // tool reports.
    QTreeWidget* tree = Main->findChild<QTreeWidget*>("TV");
    ASSERT_NE(tree, nullptr);
    const QRect item = tree->visualItemRect(Main->settingsNode());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_EQ(tree->currentItem(), Main->settingsNode());
    TWordDocument doc;
    TReportGenerator(Main->reportInput(), doc, [] {}).run();
    const QString window = withoutDate(QString::fromStdString(TDocxWriter::documentXml(doc.document())));
    delete Main;
    Main = nullptr;

    EXPECT_TRUE(window.contains(QStringLiteral("IN-2 Эвакуация")));
    EXPECT_EQ(tool, window);
}
