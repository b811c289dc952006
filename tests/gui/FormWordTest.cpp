// The report window: one generation per showing, the progress bar, every exit.

#include "app/TFilePlaces.h"
#include "app/TFormWord.h"
#include "image/TAlarmRecord.h"
#include "project/TProject.h"
#include "widgets/TDialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <vector>

namespace {
class ScriptedDialogs : public TDialogs {
public:
    int message(const TMessage& msg) override
    {
        shown << msg.text;
        return mbOK;
    }
    int choose(const TMessage& msg, const QStringList&, int defaultChoice) override
    {
        shown << msg.text;
        return choice < 0 ? defaultChoice : choice;
    }
    QString openFile(const TFileRequest&) override { return {}; }
    QString saveFile(const TFileRequest& request) override
    {
        saveRequests.push_back(request);
        return savePath;
    }
    int execModal(QDialog&) override { return 0; }
    QStringList shown;
    int choice = -1;
    QString savePath;
    std::vector<TFileRequest> saveRequests;
};

struct FormFixture : ::testing::Test {
    FormFixture()
    {
        TDialogs::install(&dialogs);
        QObject::connect(&form, &TFormWord::finished, [this] { ++finishedCount; });
        QObject::connect(&form, &TFormWord::failed, [this](const QString& reason) { reasons << reason; });
    }
    ~FormFixture() override
    {
        TDialogs::install(nullptr);
        for (const QString& path : opened)
            QFile::remove(path);
    }
    TReportInput input()
    {
        TReportInput in;
        in.splitterCount = "1";
        in.consoleCount = "0";
        in.messageModuleCount = "0";
        in.relayModuleCount = "0";
        return in;
    }
    void runOnce(TReportInput in)
    {
        form.setInputProvider([in] { return in; });
        form.setOpener([this](const QString& path) {
            opened << path;
            return true;
        });
        form.show();
        QElapsedTimer timer;
        timer.start();
        while (finishedCount == 0 && timer.elapsed() < 10000)
            QApplication::processEvents();
    }

    ScriptedDialogs dialogs;
    TFormWord form;
    int finishedCount = 0;
    QStringList opened;
    QStringList reasons;
};
} // namespace

TEST_F(FormFixture, FirstPaintGeneratesOnceThenHides)
{
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Отчет"));
    EXPECT_EQ(form.size(), QSize(345, 101));
    EXPECT_EQ(form.findChild<QProgressBar*>("PB")->maximum(), 24);
    runOnce(input());
    form.repaint();
    QApplication::processEvents();
    EXPECT_EQ(finishedCount, 1);
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].endsWith(".docx"));
    EXPECT_TRUE(QFile::exists(opened[0]));
    EXPECT_TRUE(dialogs.shown.isEmpty());

    form.show(); // every showing makes a new report
    QElapsedTimer timer;
    timer.start();
    while (finishedCount < 2 && timer.elapsed() < 10000)
        QApplication::processEvents();
    EXPECT_EQ(finishedCount, 2);
    EXPECT_EQ(opened.size(), 2);
}

TEST_F(FormFixture, ProgressBarCyclesOneStepPerBlock)
{
    TReportInput in = input();
    in.music = true;       // 1 block
    in.consoleIndex = 1;   // 12
    in.phonePaging = true; // 12: the 25th step goes back to 0
    runOnce(in);
    EXPECT_EQ(form.PB->value(), 0);
    in.phonePaging = false;
    form.setInputProvider([in] { return in; });
    form.show();
    QElapsedTimer timer;
    timer.start();
    while (finishedCount < 2 && timer.elapsed() < 10000)
        QApplication::processEvents();
    EXPECT_EQ(form.PB->value(), 13);
}

TEST_F(FormFixture, FailureShowsWhatWasWrittenAndTheErrorBox)
{
    TReportInput in = input();
    TAlarmRecord(in.image, 1).setEnabled(true);
    TAlarmRecord(in.image, 1).setDelayCode(27);
    runOnce(in);
    EXPECT_EQ(finishedCount, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(dialogs.shown, QStringList{QString::fromUtf8("Ошибка формирования отчета !")});
    // The box says only that it failed; the reason says why.
    EXPECT_EQ(reasons, QStringList{"delay code has no list entry"});
}

TEST_F(FormFixture, OpenDocumentsRefuseANewReport)
{
    form.setOpenDocumentsCheck([] { return true; });
    runOnce(input());
    EXPECT_EQ(finishedCount, 1);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(dialogs.shown,
              QStringList{QString::fromUtf8("Для формирования нового отчета\nзакройте все документы WORD !")});
}

// A document no application takes is the user's all the same: the box names
// it and saves it where the user chooses. With no desktop opener at all and
// with one that fails.
TEST_F(FormFixture, DocumentNoApplicationTakesIsNamedAndSavedWhereChosen)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir("none");
    QDir(folder.path()).mkdir("failing");
    QFile opener(folder.filePath("failing/xdg-open"));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nexit 3\n");
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    form.setInputProvider([this] { return input(); });
    // The dialog starts where the window's file dialogs start and proposes
    // the project's name.
    TProject project;
    project.setName("site");
    TFilePlaces places(project);
    places.setProjectFile(folder.filePath("site.usr"));
    form.setFilePlaces(&places);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const char* openers : {"none", "failing"}) {
        SCOPED_TRACE(openers);
        qputenv("PATH", folder.filePath(openers).toLocal8Bit());
        dialogs.shown.clear();
        dialogs.choice = 0;
        dialogs.savePath = folder.filePath(QStringLiteral("%1.docx").arg(openers));
        const int before = finishedCount;
        form.show();
        QElapsedTimer timer;
        timer.start();
        while (finishedCount == before && timer.elapsed() < 10000)
            QApplication::processEvents();
        qputenv("PATH", path);
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_TRUE(dialogs.shown[0].startsWith(
            QStringLiteral("Отчет сформирован, но ни одно приложение не открыло его.\nФайл отчета:\n")))
            << dialogs.shown[0].toStdString();
        const QString made = dialogs.shown[0].section('\n', -1);
        EXPECT_TRUE(made.endsWith(".docx"));
        EXPECT_FALSE(QFile::exists(made));
        EXPECT_GT(QFileInfo(dialogs.savePath).size(), 1000);
        EXPECT_EQ(form.lastDocument(), dialogs.savePath);
        ASSERT_EQ(dialogs.saveRequests.size(), 1u);
        EXPECT_EQ(dialogs.saveRequests[0].folder, folder.path());
        EXPECT_EQ(dialogs.saveRequests[0].fileName, QStringLiteral("site.docx"));
        dialogs.saveRequests.clear();
        struct stat saved {};
        ASSERT_EQ(::stat(QFile::encodeName(dialogs.savePath).constData(), &saved), 0);
        EXPECT_EQ(saved.st_mode & 0777, 0666 & ~mask) << "the mode of a new file, not the temporary file's";
    }
    EXPECT_EQ(reasons.size(), 2);
}

TEST_F(FormFixture, FullReportConvertsToPdfInLibreOffice)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    TReportInput in = input();
    in.music = true;
    in.consoleIndex = 1;
    in.phonePaging = true;
    in.image.setBit(Layout::buttonOffset(1), 0, true);
    TAlarmRecord rec(in.image, 3);
    rec.setEnabled(true);
    rec.stage(1).setDuration(4);
    rec.stage(1).setOutputBit(1, true);
    runOnce(in);
    ASSERT_EQ(opened.size(), 1);
    QTemporaryDir out;
    QProcess p;
    p.start(soffice,
            {QStringLiteral("-env:UserInstallation=file://") + out.path() + QStringLiteral("/profile"),
             QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
             QStringLiteral("--outdir"), out.path(), opened[0]});
    ASSERT_TRUE(p.waitForFinished(90000)) << "LibreOffice did not finish";
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString pdf = out.filePath(QFileInfo(opened[0]).completeBaseName() + QStringLiteral(".pdf"));
    EXPECT_TRUE(QFile::exists(pdf)) << p.readAllStandardOutput().toStdString();
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
}
