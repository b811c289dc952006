#include "tests/gui/TMainFixture.h"

#include "app/TFormMatrix.h"
#include "app/TFormProjectName.h"
#include "app/TProjectCommands.h"
#include "diag/TDbg.h"
#include "diag/TFormPort.h"
#include "tests/support/TFileSizeLimit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include <sys/stat.h>

namespace {

const QString SaveQuestion = QStringLiteral("Хотите сохранить текущий проект конфигурации ?");

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray bytesOf(const TImage& image)
{
    return QByteArray(reinterpret_cast<const char*>(image.bytes().data()), TImage::Size);
}

TImage patterned(int seed)
{
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>((i * 7 + seed) & 0xFF));
    return image;
}

// Answers the project name dialog with a text and a result.
std::function<int(QDialog&)> typeName(const QString& text, int result = QDialog::Accepted)
{
    return [text, result](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("ProjectName")->setText(text);
        return result;
    };
}

} // namespace

class ProjectCommands : public TMainFixture {
protected:
    void SetUp() override
    {
        TMainFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        // The program names file goes beside this path, not beside the test.
        commands()->setExecutablePath(path("bin/kt7config"));
        QDir(dir.path()).mkdir("bin");
    }

    TProjectCommands* commands() const { return Main->findChild<TProjectCommands*>(); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList captions() const
    {
        QStringList out;
        for (int i = 1; i <= 24; ++i)
            out << Main->inputNode(i)->text(0);
        return out;
    }
    void setNames(const QStringList& names) const
    {
        for (int i = 0; i < names.size(); ++i)
            Main->setInputName(i + 1, names[i]);
    }
    // A project that exists and has changes: what every guarded command meets.
    void makeProject(const QString& name, const TImage& image) const
    {
        Main->SetProjectName(name);
        reloadWith(image);
    }

    QTemporaryDir dir;
};

TEST_F(ProjectCommands, SaveWritesBothFilesAndOpenGivesThemBack)
{
    const TImage image = patterned(3);
    makeProject("site", image);
    QStringList names(24);
    names[0] = "Пожар в зале";
    names[2] = "two words";
    names[4] = "  leading and trailing  ";
    names[23] = "\"quoted\"";
    setNames(names);
    ASSERT_FALSE(Main->saved());
    // Unsaved changes show as the desktop's mark beside the title's text.
    const auto shownTitle = [] { return Main->windowHandle()->title(); };
    EXPECT_EQ(shownTitle(), "Конфигурация - site*");

    dialogs.savePaths.push_back(path("site.usr"));
    ctl<QToolButton>("TBSave")->click();

    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].filter, "*.usr|*.usr");
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "site");
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "usr");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(contents(path("site.usr")), bytesOf(image));
    const QByteArray ini = contents(path("site.ini"));
    EXPECT_TRUE(ini.contains("[Scenic]"));
    for (int i = 0; i < 24; ++i)
        EXPECT_TRUE(ini.contains(QStringLiteral("Item%1=").arg(i).toLatin1())) << i;
    // Windows-1251 on disk: "Пожар" is CF EE E6 E0 F0.
    EXPECT_TRUE(ini.contains("Item0=\xCF\xEE\xE6\xE0\xF0 \xE2 \xE7\xE0\xEB\xE5"));
    EXPECT_EQ(title(), "Конфигурация - site");
    EXPECT_TRUE(Main->saved());
    EXPECT_EQ(shownTitle(), "Конфигурация - site");
    clickNode(Main->settingsNode());
    QTest::mouseClick(ctl<QCheckBox>("CBPhone"), Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(shownTitle(), "Конфигурация - site*");
    QCoreApplication::processEvents();
    QTest::keyClick(Main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shownTitle(), "Конфигурация - site");

    // Another project replaces this one; opening the saved one brings it back.
    makeProject("other", patterned(99));
    setNames(QStringList(24, "x"));
    Main->setSaved(true);
    dialogs.openPaths.push_back(path("site.usr"));
    ctl<QToolButton>("TBOpen")->click();

    EXPECT_EQ(Main->image(), image);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(Main->inputName(i + 1), names[i]) << i;
    EXPECT_EQ(Main->inputNode(1)->text(0), "IN-1 Пожар в зале");
    EXPECT_EQ(Main->inputNode(2)->text(0), "IN-2 ");
    EXPECT_EQ(title(), "Конфигурация - site");
    EXPECT_EQ(tree()->currentItem(), Main->systemNode());
    EXPECT_TRUE(dialogs.messages.empty());
}

// The file dialogs start in the project's folder, else in the folder last
// chosen in one; the name proposed is the project's.
TEST_F(ProjectCommands, FileDialogsStartInTheProjectsFolderElseTheLastOneUsed)
{
    QDir(dir.path()).mkpath("a");
    QDir(dir.path()).mkpath("b");
    QDir(dir.path()).mkpath("c");
    writeFile(path("a/site.usr"), bytesOf(patterned(1)));
    const auto request = [&] { return dialogs.fileRequests.back(); };

    dialogs.openPaths = {path("a/site.usr")};
    ctl<QToolButton>("TBOpen")->click();
    EXPECT_TRUE(request().folder.isEmpty()) << "the working directory at first";
    ASSERT_EQ(Main->projectName(), QStringLiteral("site"));

    dialogs.savePaths = {path("b/copy.usr")};
    ctl<QToolButton>("TBSave")->click();
    EXPECT_EQ(request().folder, path("a"));
    EXPECT_EQ(request().fileName, QStringLiteral("site"));

    // Saved elsewhere, the project lives there; a folder only looked into is
    // not the project's.
    dialogs.openPaths = {path("c/missing.usr")};
    ctl<QToolButton>("TBOpen")->click();
    EXPECT_EQ(request().folder, path("b"));
    dialogs.openPaths = {QString()};
    ctl<QToolButton>("TBOpen")->click();
    EXPECT_EQ(request().folder, path("b"));

    // A new project has no folder: the one last chosen.
    dialogs.modals.push_back(typeName("fresh"));
    ctl<QToolButton>("TBNew")->click();
    dialogs.savePaths = {QString()};
    ctl<QToolButton>("TBSave")->click();
    EXPECT_EQ(request().folder, path("c"));
    EXPECT_EQ(request().fileName, QStringLiteral("fresh"));

    // The windows' other dialogs start there too and propose the project's
    // name; what they save gets the mode a new file of the user gets.
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    QTest::keyClick(Main, Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Main->formMatrix()));
    dialogs.savePaths = {path("a/table.csv")};
    QTest::mouseClick(Main->formMatrix()->findChild<QPushButton*>("ButtonSave"), Qt::LeftButton);
    EXPECT_EQ(request().folder, path("c"));
    EXPECT_EQ(request().fileName, QStringLiteral("fresh.csv"));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat saved {};
    ASSERT_EQ(::stat(QFile::encodeName(path("a/table.csv")).constData(), &saved), 0);
    EXPECT_EQ(saved.st_mode & 0777, 0666 & ~mask);
    QTest::keyClick(Main->formMatrix()->findChild<QPushButton*>("ButtonSave"), Qt::Key_Escape);
    ASSERT_FALSE(Main->formMatrix()->isVisible());
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    dialogs.openPaths = {QString()};
    QTest::keyClick(Main, Qt::Key_F9);
    EXPECT_EQ(request().folder, path("a"));
    EXPECT_EQ(request().fileName, QString());
}

TEST_F(ProjectCommands, OpenTakesWhatTheFilesHold)
{
    QByteArray longFile(3000, '\x11');
    longFile[2047] = '\x22';
    writeFile(path("long.usr"), longFile);
    writeFile(path("short.usr"), QByteArray(100, '\x33'));
    writeFile(path("a.b.usr"), QByteArray());
    QByteArray ini = "; kept\r\n[scenic]\r\nITEM0 = first \r\nItem4=fifth\r\nItem6=seventh\r\n";
    writeFile(path("short.ini"), ini);

    Main->image() = patterned(5);
    dialogs.openPaths = {path("short.usr")};
    Main->TBOpenClick();
    for (int i = 0; i < TImage::Size; ++i)
        ASSERT_EQ(Main->image().byte(i), i < 100 ? 0x33 : 0) << i;
    EXPECT_EQ(Main->inputNode(1)->text(0), "IN-1 first");
    EXPECT_EQ(Main->inputNode(5)->text(0), "IN-5 fifth");
    EXPECT_EQ(Main->inputNode(6)->text(0), "IN-6 ");
    EXPECT_EQ(Main->inputNode(7)->text(0), "IN-7 seventh");

    Main->setSaved(true);
    dialogs.openPaths = {path("long.usr")};
    Main->TBOpenClick();
    EXPECT_EQ(bytesOf(Main->image()), longFile.left(2048));
    EXPECT_EQ(title(), "Конфигурация - long");
    // No names file: every name empty, none left over from the project before.
    EXPECT_EQ(captions()[0], "IN-1 ");

    Main->setSaved(true);
    dialogs.openPaths = {path("a.b.usr")};
    Main->TBOpenClick();
    EXPECT_EQ(Main->projectName(), "a");
    EXPECT_EQ(Main->image(), TImage());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ProjectCommands, OpenOfAnUnreadableFileChangesNothing)
{
    const TImage image = patterned(8);
    makeProject("kept", image);
    setNames({"one", "two"});
    Main->setSaved(true);
    const QStringList before = captions();
    QDir(dir.path()).mkdir("folder.usr");
    // A FIFO nobody writes to would keep the window waiting for good.
    ASSERT_EQ(::mkfifo(path("fifo.usr").toLocal8Bit().constData(), 0644), 0);

    for (const QString& chosen : {path("missing.usr"), path("folder.usr"), path("fifo.usr"), QString()}) {
        dialogs.openPaths = {chosen};
        Main->TBOpenClick();
        EXPECT_EQ(Main->image(), image) << chosen.toStdString();
        EXPECT_EQ(captions(), before);
        EXPECT_EQ(title(), "Конфигурация - kept");
        EXPECT_TRUE(Main->saved());
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ProjectCommands, NamesFileThatCannotBeReadGivesEmptyNamesAndSaysSo)
{
    writeFile(path("p.usr"), QByteArray(10, '\x01'));
    QDir(dir.path()).mkdir("p.ini");
    setNames({"old"});
    dialogs.openPaths = {path("p.usr")};
    Main->TBOpenClick();
    EXPECT_EQ(Main->inputNode(1)->text(0), "IN-1 ");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Error);
    EXPECT_EQ(dialogs.messages[0].text, "Unable to read " + path("p.ini") + QStringLiteral("\nэто папка, а не файл"));

    // A names file in UTF-8 is read as names files are, in Windows-1251, and
    // the user is told what its names were read as.
    writeFile(path("u.usr"), QByteArray(10, '\x01'));
    writeFile(path("u.ini"), QStringLiteral("[Scenic]\r\nItem0=Пожар\r\n").toUtf8());
    Main->setSaved(true);
    dialogs.openPaths = {path("u.usr")};
    Main->TBOpenClick();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.contains(path("u.ini") + QStringLiteral(" похож на текст в UTF-8")))
        << dialogs.messages[1].text.toStdString();
    EXPECT_TRUE(dialogs.messages[1].text.endsWith(QStringLiteral("\nIN-1: РџРѕР¶Р°СЂ")));

    // One whose byte-order mark says UTF-16 is read as what it is, and the
    // user is told; one too large for a names file is named in an error.
    writeFile(path("u.ini"),
              QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)
                  .encode(QStringLiteral("[Scenic]\r\nItem0=Пожар\r\n")));
    Main->setSaved(true);
    dialogs.openPaths = {path("u.usr")};
    QTest::mouseClick(ctl<QToolButton>("TBOpen"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[2].text,
              QStringLiteral("Файл имён %1 записан в кодировке UTF-16LE, а файлы имён хранятся в кодировке "
                             "Windows-1251. Он прочитан в UTF-16LE, при сохранении будет записан в Windows-1251. "
                             "Имена прочитаны так:\nIN-1: Пожар")
                  .arg(path("u.ini")));
    EXPECT_EQ(Main->inputNode(1)->text(0), QStringLiteral("IN-1 Пожар"));
    writeFile(path("u.ini"), "[Scenic]\r\nItem0=x\r\n" + QByteArray(4 * 1024 * 1024, ';'));
    Main->setSaved(true);
    dialogs.openPaths = {path("u.usr")};
    QTest::mouseClick(ctl<QToolButton>("TBOpen"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages[3].icon, TMsgIcon::Error);
    EXPECT_EQ(dialogs.messages[3].text,
              "Unable to read " + path("u.ini") + QStringLiteral("\nфайл больше 4 МБ, такого файла имён не бывает"));
    EXPECT_EQ(Main->inputNode(1)->text(0), "IN-1 ");

    // One written by hand: line ends of a CR alone, a section and keys in
    // another case and with blanks, a second section of the name that
    // counts for nothing, and a NUL that ends a name, which is said.
    using namespace std::string_literals;
    writeFile(path("u.ini"),
              QByteArray::fromStdString(" [ sCeNiC ] \r item0 = \xCF\xEE\xE6\xE0\xF0\0\xE7\xE0\xEB\r"
                                        "ITEM1=b\r[Scenic]\rItem2=c\r"s));
    Main->setSaved(true);
    dialogs.openPaths = {path("u.usr")};
    QTest::mouseClick(ctl<QToolButton>("TBOpen"), Qt::LeftButton);
    EXPECT_EQ(captions().mid(0, 3), (QStringList{QStringLiteral("IN-1 Пожар"), "IN-2 b", "IN-3 "}));
    ASSERT_EQ(dialogs.messages.size(), 5u);
    EXPECT_EQ(dialogs.messages[4].text,
              QStringLiteral("В файле имён %1 нулевой байт обрывает имена, как их читает Windows; прочитано то, что "
                             "стоит до него. Остальное не может быть частью имени: пока имя не изменено, строка "
                             "сохраняется как есть.\nIN-1: «Пожар», после нулевого байта: «зал»")
                  .arg(path("u.ini")));
}

TEST_F(ProjectCommands, NewStartsAnEmptyProject)
{
    makeProject("old", patterned(1));
    setNames({"a", "b b"});
    Main->setSaved(true);

    dialogs.modals.push_back(typeName(" new project "));
    ctl<QToolButton>("TBNew")->click();

    EXPECT_EQ(Main->projectName(), " new project ");
    EXPECT_EQ(title(), "Конфигурация -  new project ");
    EXPECT_EQ(Main->image(), TImage());
    for (int i = 1; i <= 24; ++i)
        EXPECT_EQ(Main->inputNode(i)->text(0), QStringLiteral("IN-%1 ").arg(i));
    EXPECT_TRUE(ctl<QToolButton>("TBSave")->isEnabled());
    EXPECT_TRUE(ctl<QToolButton>("TBReport")->isEnabled());
    EXPECT_FALSE(Main->saved());
    EXPECT_TRUE(dialogs.messages.empty());
    // No file is written until the first save.
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    // The dialog keeps its text and offers it next time.
    ASSERT_NE(FormProjectName, nullptr);
    QString offered;
    dialogs.modals.push_back([&offered](QDialog& dialog) {
        offered = dialog.findChild<QLineEdit*>("ProjectName")->text();
        return QDialog::Rejected;
    });
    dialogs.answers = {mbCancel};
    Main->TBNewClick();
    EXPECT_EQ(offered, " new project ");
}

TEST_F(ProjectCommands, NewThatIsCancelledOrUnnamedChangesNothing)
{
    const TImage image = patterned(4);
    makeProject("kept", image);
    setNames({"name"});
    Main->setSaved(true);
    const QStringList before = captions();

    dialogs.modals.push_back(typeName("typed", QDialog::Rejected));
    Main->TBNewClick();
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.modals.push_back(typeName(""));
    Main->TBNewClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Неверное имя проекта !");
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Error);
    EXPECT_EQ(dialogs.messages[0].buttons, mbOK);
    EXPECT_TRUE(dialogs.modals.empty());

    EXPECT_EQ(title(), "Конфигурация - kept");
    EXPECT_EQ(Main->image(), image);
    EXPECT_EQ(captions(), before);
    EXPECT_TRUE(Main->saved());
}

TEST_F(ProjectCommands, SaveQuestionGuardsNewAndOpen)
{
    makeProject("site", patterned(2));
    ASSERT_FALSE(Main->saved());

    // OK saves first, then the command goes on.
    dialogs.answers = {mbOK};
    dialogs.savePaths = {path("site.usr")};
    dialogs.modals.push_back(typeName("next"));
    Main->TBNewClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, SaveQuestion);
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Information);
    EXPECT_EQ(dialogs.messages[0].buttons, mbOK | mbCancel);
    EXPECT_EQ(contents(path("site.usr")), bytesOf(patterned(2)));
    EXPECT_EQ(Main->projectName(), "next");

    // Cancel skips the save and the command goes on.
    dialogs.answers = {mbCancel};
    dialogs.openPaths = {path("site.usr")};
    Main->TBOpenClick();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(Main->projectName(), "site");
    EXPECT_EQ(dialogs.savePaths.size(), 0u);

    // A saved project is replaced without a question.
    Main->setSaved(true);
    dialogs.openPaths = {path("site.usr")};
    Main->TBOpenClick();
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(ProjectCommands, CancelledSaveDialogWritesNothing)
{
    makeProject("site", patterned(6));
    Main->TBSaveClick();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(title(), "Конфигурация - site");
    EXPECT_FALSE(Main->saved());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ProjectCommands, FailedSaveLosesNothingAndSaysWhy)
{
    makeProject("site", patterned(7));
    writeFile(path("old.usr"), "old image");
    writeFile(path("old.ini"), "[Scenic]\r\nItem0=old\r\n");

    // The image file cannot be created: no names file either.
    const QString nowhere = path("missing/site.usr");
    dialogs.savePaths = {nowhere};
    Main->TBSaveClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Error);
    EXPECT_EQ(dialogs.messages[0].text.section('\n', 0, 0), "Unable to write to " + nowhere);
    EXPECT_FALSE(dialogs.messages[0].text.section('\n', 1).isEmpty());
    EXPECT_FALSE(QFile::exists(path("missing/site.ini")));

    // The disk takes no more than a few bytes (in a child process): the
    // image file is not written half, and the user is told.
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    const int told = TFileSizeLimit::inChild(100, [&] {
        dialogs.savePaths = {path("old.usr")};
        Main->TBSaveClick();
        return dialogs.messages.size() == 2
                && dialogs.messages[1].text.startsWith("Unable to write to " + path("old.usr") + "\n")
            ? 0
            : 1;
    });
    EXPECT_EQ(told, 0);
    EXPECT_EQ(contents(path("old.usr")), "old image");
    EXPECT_EQ(contents(path("old.ini")), "[Scenic]\r\nItem0=old\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), files);

    // The names file is a folder: the command stops there.
    QDir(dir.path()).mkdir("folder.ini");
    dialogs.savePaths = {path("folder.usr")};
    Main->TBSaveClick();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.startsWith("Unable to write to " + path("folder.ini") + "\n"));

    // A name Windows-1251 cannot hold is refused; the old names file stays whole.
    Main->setInputName(1, "漢字");
    dialogs.savePaths = {path("old.usr")};
    Main->TBSaveClick();
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[2].text,
              "Unable to write to " + path("old.ini")
                  + QStringLiteral("\nимя IN-1 содержит знак, которого нет в кодировке "
                                   "Windows-1251, перевод строки или длиннее 2047 знаков"));
    EXPECT_EQ(contents(path("old.ini")), "[Scenic]\r\nItem0=old\r\n");
    EXPECT_EQ(contents(path("old.usr")), "old image") << "nothing is written";

    EXPECT_EQ(title(), "Конфигурация - site");
    EXPECT_FALSE(Main->saved());
}

TEST_F(ProjectCommands, FailedOrCancelledSaveStopsTheCommandItGuards)
{
    makeProject("site", patterned(9));
    dialogs.answers = {mbOK};
    dialogs.savePaths = {path("missing/site.usr")};
    dialogs.modals.push_back(typeName("next"));
    Main->TBNewClick();
    EXPECT_EQ(Main->projectName(), "site");
    EXPECT_EQ(Main->image(), patterned(9));
    EXPECT_EQ(dialogs.modals.size(), 1u);

    // OK to the question, then Cancel in the save dialog: New and Open stop.
    writeFile(path("other.usr"), QByteArray(2048, '\x33'));
    dialogs.answers = {mbOK};
    Main->TBNewClick();
    dialogs.answers = {mbOK};
    dialogs.openPaths = {path("other.usr")};
    Main->TBOpenClick();
    EXPECT_EQ(Main->projectName(), "site");
    EXPECT_EQ(Main->image(), patterned(9));
    EXPECT_FALSE(Main->saved());
    EXPECT_EQ(dialogs.modals.size(), 1u);
    EXPECT_EQ(dialogs.openPaths.size(), 1u);
}

class ProjectClosing : public ProjectCommands {
protected:
    void SetUp() override
    {
        ProjectCommands::SetUp();
        Dbg = new TDbg;
        FormPort = new TFormPort;
        Dbg->show();
        FormPort->show();
    }
    void TearDown() override
    {
        delete Dbg;
        delete FormPort;
        Dbg = nullptr;
        FormPort = nullptr;
        ProjectCommands::TearDown();
    }
};

TEST_F(ProjectClosing, OpenedProjectAsksAndCancelKeepsTheWindow)
{
    writeFile(path("site.usr"), QByteArray(2048, '\x05'));
    writeFile(path("site.ini"), "[Scenic]\nItem2=third\n");
    dialogs.openPaths = {path("site.usr")};
    Main->TBOpenClick();
    const QStringList before = captions();

    dialogs.answers = {mbCancel};
    ctl<QToolButton>("ToolButton1")->click();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, SaveQuestion);
    EXPECT_EQ(dialogs.messages[0].buttons, mbYes | mbNo | mbCancel);
    EXPECT_TRUE(Main->isVisible());
    EXPECT_FALSE(Dbg->isVisible());
    EXPECT_FALSE(FormPort->isVisible());
    EXPECT_EQ(captions(), before);
    EXPECT_FALSE(Main->saved());

    dialogs.answers = {mbNo};
    EXPECT_TRUE(Main->close());
    EXPECT_FALSE(Main->isVisible());
    EXPECT_EQ(contents(path("site.usr")), QByteArray(2048, '\x05'));
}

TEST_F(ProjectClosing, YesSavesAndClosesButACancelledSaveDialogKeepsTheWindow)
{
    makeProject("site", patterned(10));
    dialogs.answers = {mbYes};
    EXPECT_FALSE(Main->close());
    EXPECT_TRUE(Main->isVisible());
    EXPECT_FALSE(Main->saved());
    EXPECT_EQ(Main->image(), patterned(10));

    dialogs.answers = {mbYes};
    dialogs.savePaths = {path("site.usr")};
    EXPECT_TRUE(Main->close());
    EXPECT_EQ(contents(path("site.usr")), bytesOf(patterned(10)));
    EXPECT_EQ(dialogs.texts(), QStringList({SaveQuestion, SaveQuestion}));
}

TEST_F(ProjectClosing, FailedSaveKeepsTheWindowOpen)
{
    makeProject("site", patterned(11));
    dialogs.answers = {mbYes};
    dialogs.savePaths = {path("missing/site.usr")};
    EXPECT_FALSE(Main->close());
    EXPECT_TRUE(Main->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].icon, TMsgIcon::Error);
}

TEST_F(ProjectClosing, ProgramNamesFileIsWrittenAtEveryClose)
{
    setNames({"Пожар", "", "two words"});
    Main->setSaved(true);
    EXPECT_TRUE(Main->close());
    const QByteArray ini = contents(path("bin/kt7config.ini"));
    EXPECT_TRUE(ini.contains("[Scenic]"));
    EXPECT_TRUE(ini.contains("Item0=\xCF\xEE\xE6\xE0\xF0"));
    EXPECT_TRUE(ini.contains("Item2=two words"));
    EXPECT_TRUE(ini.contains("Item23="));
    EXPECT_EQ(Main->inputNode(1)->text(0), "IN-1 Пожар");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ProjectClosing, ProgramNamesFileFailureNeverKeepsTheWindowOpen)
{
    // Neither the executable's folder nor the data folder can take the file.
    writeFile(path("plainfile"), "x");
    commands()->setExecutablePath(path("nowhere/kt7config"));
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    const bool hadData = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", path("plainfile/data").toLocal8Bit());

    Main->setSaved(true);
    const bool closed = Main->close();
    if (hadData)
        qputenv("XDG_DATA_HOME", oldData);
    else
        qunsetenv("XDG_DATA_HOME");

    EXPECT_TRUE(closed);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("Unable to write to "));
    EXPECT_NE(dialogs.messages[0].icon, TMsgIcon::Error);
}

TEST(ProjectNameDialog, AsksForTheNameOfANewProject)
{
    TFormProjectName dialog;
    EXPECT_EQ(dialog.windowTitle(), "Создание проета");
    auto* ok = dialog.findChild<QPushButton*>("OKBtn");
    auto* cancel = dialog.findChild<QPushButton*>("CancelBtn");
    auto* edit = dialog.findChild<QLineEdit*>("ProjectName");
    ASSERT_TRUE(ok && cancel && edit);
    EXPECT_TRUE(ok->isDefault());
    auto* label = dialog.findChild<QLabel*>();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Задайте имя нового проекта");

    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), edit);
    edit->setText("site");
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.show();
    cancel->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.name(), "site");
}
