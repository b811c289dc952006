// Backups and comparisons in the window: the list of kept images, the
// differences with a project file, a backup and the controller in the words
// of kt7tool diff (run as a process on the same configurations), a backup
// opened as the project and one put back into kt7sim.

#include "tests/gui/TLinkFixture.h"
#include "tests/support/TUserInput.h"

#include "app/TFormBackups.h"
#include "app/TFormCompare.h"
#include "image/TAlarmRecord.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"
#include "project/TProjectName.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>

namespace {

const QString SaveQuestion = QStringLiteral("Хотите сохранить текущий проект конфигурации ?");

// IN-1 on, its first stage 01:00 on LB1 OUT1.
TImage siteImage()
{
    TImage image;
    TAlarmRecord record(image, 1);
    record.setEnabled(true);
    record.stage(1).setDuration(2);
    record.stage(1).setOutputBit(0, true);
    return image;
}

class BackupsAndComparisons : public TLinkFixture {
protected:
    QString backupFolder() const { return m_config.filePath("data/kt7config/backups"); }
    QString file(const char* name) const { return m_config.filePath(name); }

    void pressOnMain(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        Main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
        QTest::keyClick(Main, key, modifiers);
    }
    // The project in the window, under a name, with IN-1 named.
    void showProject(const TImage& image, const QString& name, const QString& in1)
    {
        Main->image() = image;
        Main->EditorReload();
        Main->SetProjectName(name);
        Main->setInputName(1, in1);
    }
    // A project's files: the image and, unless names is null, its names file.
    static void saveProject(const QString& path, const TImage& image, const TProject::Names* names)
    {
        ASSERT_TRUE(TImageFile::write(path.toStdString(), image));
        if (names) {
            ASSERT_TRUE(TNamesFile::write(TProjectName::namesFilePath(path.toStdString()), *names));
        }
    }
    static QStringList shown(const QTreeWidget* list)
    {
        QStringList lines;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            lines << list->topLevelItem(i)->text(0);
        return lines;
    }
    // What kt7tool diff prints for the two files.
    static QStringList toolDiff(const QString& a, const QString& b)
    {
        QProcess tool;
        tool.start(KT7TOOL_PATH, {"diff", a, b});
        EXPECT_TRUE(tool.waitForFinished(10000));
        EXPECT_EQ(tool.exitCode(), 1) << tool.readAllStandardError().toStdString();
        return QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    TFormCompare* compareWindow() const { return Main->formCompare(); }
    QTreeWidget* differences() const { return compareWindow()->list(); }
    QTreeWidget* tree() const { return Main->findChild<QTreeWidget*>("TV"); }
    bool wrote() const { return log().contains(" 0x26 0x44 "); }
    void chooseBackup(int row)
    {
        QTreeWidget* list = Main->formBackups()->list();
        ASSERT_GT(list->topLevelItemCount(), row);
        ASSERT_TRUE(TUserInput::click(list, list->topLevelItem(row)));
    }
    void click(const char* button) const
    {
        QTest::mouseClick(Main->formBackups()->findChild<QPushButton*>(button), Qt::LeftButton);
    }
};

} // namespace

TEST_F(BackupsAndComparisons, TheListShowsWhatCanBeRestoredNewestFirstAndFollowsNewBackups)
{
    pressOnMain(Qt::Key_B, Qt::ControlModifier);
    TFormBackups* form = Main->formBackups();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    QTreeWidget* list = form->list();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_TRUE(form->folderText().startsWith(QStringLiteral("Папки резервных копий ") + backupFolder()))
        << form->folderText().toStdString();

    // A file where the folder should be cannot be read as a folder: said,
    // while the window is open.
    ASSERT_TRUE(QDir().mkpath(m_config.filePath("data/kt7config")));
    writeFile(backupFolder(), TImage());
    ASSERT_TRUE(waitFor([&] { return form->folderText().startsWith(QStringLiteral("Папку резервных копий ")); }))
        << form->folderText().toStdString();
    ASSERT_TRUE(QFile::remove(backupFolder()));

    // Only whole images in regular files named as the store names them.
    ASSERT_TRUE(QDir().mkpath(backupFolder()));
    writeFile(backupFolder() + "/ABCDEFGHIJ-20250301T080000Z.usr", randomImage(1));
    writeFile(backupFolder() + "/KLMNOPQRST-20250307T093000Z.usr", randomImage(2));
    ASSERT_TRUE(QDir().mkpath(backupFolder() + "/ABCDEFGHIJ-20250302T080000Z.usr"));
    QFile oneByte(backupFolder() + "/ABCDEFGHIJ-20250303T080000Z.usr");
    ASSERT_TRUE(oneByte.open(QIODevice::WriteOnly) && oneByte.putChar('x'));
    oneByte.close();
    writeFile(backupFolder() + "/ABCDEFGHIJ-2025-03-04.usr", randomImage(3));
    ASSERT_TRUE(waitFor([&] { return list->topLevelItemCount() == 2; }));
    const QTreeWidgetItem* newest = list->topLevelItem(0);
    EXPECT_EQ(newest->text(0), QStringLiteral("KLMNOPQRST"));
    const QDateTime utc(QDate(2025, 3, 7), QTime(9, 30), Qt::UTC);
    EXPECT_EQ(newest->text(1), utc.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    EXPECT_EQ(newest->text(2), QStringLiteral("KLMNOPQRST-20250307T093000Z.usr"));
    EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("ABCDEFGHIJ"));
    EXPECT_EQ(form->folderText(), QStringLiteral("Папка: ") + backupFolder());

    // A read keeps a backup, and the open list shows it on top with why it
    // was kept; the backup chosen stays chosen.
    chooseBackup(1);
    writeFile(file("held.usr"), randomImage(4));
    simulate(1, {"--image", file("held.usr")});
    connectTo(1);
    QTest::mouseClick(button("TBRead"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    ASSERT_TRUE(waitFor([&] { return list->topLevelItemCount() == 3; }));
    EXPECT_EQ(list->topLevelItem(0)->text(0), QString(Serial));
    EXPECT_EQ(list->topLevelItem(0)->text(3), QStringLiteral("чтение"));
    EXPECT_EQ(list->topLevelItem(1)->text(3), QString());
    EXPECT_TRUE(backups().contains(list->topLevelItem(0)->toolTip(2)));
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    EXPECT_EQ(list->currentItem()->text(2), QStringLiteral("ABCDEFGHIJ-20250301T080000Z.usr"));
    // Read again, the controller holds what the newest backup holds: no
    // other is kept.
    QTest::mouseClick(button("TBRead"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    idle(2 * TFormBackups::PollMs);
    EXPECT_EQ(list->topLevelItemCount(), 3);

    // A dialog's keys: Enter on a row compares it with the project, Return
    // on a focused button presses it, Esc closes the window.
    ASSERT_TRUE(TUserInput::click(list, list->topLevelItem(2)));
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(compareWindow()->isVisible());
    EXPECT_TRUE(compareWindow()->summary().contains(QStringLiteral("ABCDEFGHIJ-20250301T080000Z.usr")))
        << compareWindow()->summary().toStdString();
    ASSERT_TRUE(TUserInput::click(list, list->topLevelItem(1)));
    auto* compare = form->findChild<QPushButton*>("BtnBackupCompare");
    compare->setFocus();
    QTest::keyClick(compare, Qt::Key_Return);
    EXPECT_TRUE(compareWindow()->summary().contains(QStringLiteral("KLMNOPQRST-20250307T093000Z.usr")))
        << compareWindow()->summary().toStdString();
    QTest::keyClick(compare, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    QTest::keyClick(differences(), Qt::Key_Escape);
    EXPECT_FALSE(compareWindow()->isVisible());
}

TEST_F(BackupsAndComparisons, AFileComparedSaysWhatKt7toolDiffSaysAndLeadsToTheTree)
{
    showProject(siteImage(), "site", QStringLiteral("Холл"));
    const QString projectPath = file("site.usr");
    saveProject(projectPath, Main->image(), &Main->project().names());
    // The file: one output more, IN-1 named otherwise, a byte nobody uses.
    TImage other = siteImage();
    TAlarmRecord(other, 1).stage(1).setOutputBit(1, true);
    other.setByte(Layout::FirstUnused + 368, 0x5A);
    TProject::Names names{};
    names[0] = "Лестница";
    const QString otherPath = file("old.usr");
    saveProject(otherPath, other, &names);

    dialogs.openPaths = {otherPath};
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(Main, Qt::Key_F9);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(compareWindow()));
    std::printf("compare with a file, F9 to the list shown: %.1f ms\n", clock.nsecsElapsed() / 1e6);

    const QStringList lines = shown(differences());
    EXPECT_EQ(lines, toolDiff(otherPath, projectPath));
    ASSERT_EQ(lines.size(), 3) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("IN-1, Имя: Лестница → Холл"));
    EXPECT_EQ(lines[1], QStringLiteral("- IN-1, Этап 1, Zarna KT7-LB №1 OUT2"));
    EXPECT_EQ(lines[2], QStringLiteral("Байт 0x07D0: 5A → 00"));

    // A double-click selects the stage, Enter the input; a byte belongs to no node.
    TUserInput::doubleClick(differences(), differences()->topLevelItem(1));
    EXPECT_EQ(tree()->currentItem(), Main->stageNode(1, 1));
    compareWindow()->activateWindow();
    ASSERT_TRUE(TUserInput::click(differences(), differences()->topLevelItem(0)));
    QTest::keyClick(differences(), Qt::Key_Return);
    EXPECT_EQ(tree()->currentItem(), Main->inputNode(1));
    TUserInput::doubleClick(differences(), differences()->topLevelItem(2));
    EXPECT_EQ(tree()->currentItem(), Main->inputNode(1));
    EXPECT_EQ(compareWindow()->note(), QStringLiteral("Строка байтов не относится к узлу дерева."));

    // The open window follows the edits until nothing differs.
    Main->setInputName(1, QStringLiteral("Лестница"));
    EXPECT_EQ(differences()->topLevelItemCount(), 2);
    Main->image() = other;
    Main->ToolButton2Click();
    EXPECT_EQ(shown(differences()), QStringList{QStringLiteral("Нет различий")});
    EXPECT_TRUE(compareWindow()->summary().startsWith(QStringLiteral("Нет различий")))
        << compareWindow()->summary().toStdString();
    EXPECT_FALSE(compareWindow()->findChild<QLabel*>("LabelNames")->isVisible());

    // A file without a names file: its names are unknown and not compared.
    const QString bare = file("bare.usr");
    saveProject(bare, siteImage(), nullptr);
    dialogs.openPaths = {bare};
    compareWindow()->close();
    pressOnMain(Qt::Key_F9);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(compareWindow()));
    EXPECT_EQ(
        shown(differences()),
        (QStringList{QStringLiteral("+ IN-1, Этап 1, Zarna KT7-LB №1 OUT2"), QStringLiteral("Байт 0x07D0: 00 → 5A")}));
    EXPECT_TRUE(compareWindow()->findChild<QLabel*>("LabelNames")->isVisible());
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();

    // A names file that cannot be taken whole is named in a box; the names
    // stay unknown, never read as empty.
    const QString big = file("big.usr");
    saveProject(big, siteImage(), nullptr);
    QFile bigNames(file("big.ini"));
    ASSERT_TRUE(bigNames.open(QIODevice::WriteOnly));
    bigNames.write("[Scenic]\r\nItem0=Холл\r\n" + QByteArray(5 << 20, ';'));
    bigNames.close();
    dialogs.openPaths = {big};
    compareWindow()->close();
    pressOnMain(Qt::Key_F9);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(compareWindow()));
    EXPECT_EQ(shown(differences()).size(), 2);
    EXPECT_TRUE(compareWindow()->findChild<QLabel*>("LabelNames")->isVisible());
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].contains(file("big.ini"))) << dialogs.texts()[0].toStdString();
}

TEST_F(BackupsAndComparisons, TheControllerComparedIsReadBesideTheProjectWhichStaysAsItWas)
{
    const QString heldPath = file("held.usr");
    TImage held = siteImage();
    TAlarmRecord(held, 1).stage(1).setOutputBit(5, true);
    TAlarmRecord(held, 2).setEnabled(true);
    TAlarmRecord(held, 2).stage(1).setDuration(3);
    writeFile(heldPath, held);
    const QString dump = file("dump.usr");
    TSimProcess& sim = simulate(1, {"--image", heldPath, "--dump", dump});
    connectTo(1);
    FormPort->show();
    showProject(siteImage(), "site", QStringLiteral("Холл"));
    Main->setSaved(false);
    const TProject::Names names = Main->project().names();

    pressOnMain(Qt::Key_F9, Qt::ShiftModifier);
    ASSERT_TRUE(waitFor([&] { return transferDone() && compareWindow()->isVisible(); }));
    EXPECT_EQ(Main->image(), siteImage());
    EXPECT_EQ(Main->project().names(), names);
    EXPECT_EQ(Main->projectName(), QStringLiteral("site"));
    EXPECT_FALSE(Main->saved());
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_FALSE(wrote());

    // Kept as every read, labelled with the project compared; the
    // controller has no names, so they are not compared.
    ASSERT_EQ(backups().size(), 1);
    EXPECT_EQ(readFile(backups()[0]), held);
    compareWindow()->close();
    pressOnMain(Qt::Key_B, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Main->formBackups()));
    const QTreeWidgetItem* kept = Main->formBackups()->list()->topLevelItem(0);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->text(3), QStringLiteral("сравнение"));
    EXPECT_EQ(kept->text(4), QStringLiteral("site"));

    // No backup can be kept: the box is worded for a comparison, which
    // leaves the project as it was.
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", heldPath.toLocal8Bit());
    Main->formBackups()->close();
    pressOnMain(Qt::Key_F9, Qt::ShiftModifier);
    ASSERT_TRUE(waitFor([&] { return transferDone() && !dialogs.messages.empty(); }));
    qputenv("XDG_DATA_HOME", data);
    EXPECT_EQ(dialogs.texts(),
              QStringList{QStringLiteral("Резервная копия прочитанной конфигурации не сохранена:\n%1: "
                                         "Not a directory\nКонфигурация контроллера прочитана только "
                                         "для сравнения; проект не изменен.")
                              .arg(heldPath + "/kt7config/backups")});
    EXPECT_EQ(Main->image(), siteImage());
    EXPECT_FALSE(Main->saved());
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(readFile(dump), held);
    const QString projectPath = file("site.usr");
    saveProject(projectPath, Main->image(), &names);
    const QStringList lines = shown(differences());
    EXPECT_EQ(lines, toolDiff(backups()[0], projectPath));
    EXPECT_FALSE(lines.filter(QStringLiteral("IN-2")).isEmpty()) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.filter(QStringLiteral("IN-1, Имя")).isEmpty()) << lines.join('\n').toStdString();
    EXPECT_TRUE(compareWindow()->findChild<QLabel*>("LabelNames")->isVisible());
}

TEST_F(BackupsAndComparisons, ABackupOpensAsTheProjectAndIsPutBackDespiteItsErrors)
{
    // Every input on with a first stage of 15 s: an error each.
    TImage faulty;
    for (int i = 1; i <= Layout::InputCount; ++i) {
        TAlarmRecord record(faulty, i);
        record.setEnabled(true);
        record.stage(1).setDuration(1);
        record.stage(1).setK1(true);
    }
    ASSERT_TRUE(QDir().mkpath(backupFolder()));
    writeFile(backupFolder() + "/ABCDEFGHIJ-20250301T080000Z.usr", faulty);
    const QString dump = file("dump.usr");
    TSimProcess& sim = simulate(1, {"--dump", dump});
    connectTo(1);

    // Another project's names go; the save question comes first.
    showProject(siteImage(), "site", QStringLiteral("Холл"));
    Main->setSaved(false);
    pressOnMain(Qt::Key_B, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Main->formBackups()));
    chooseBackup(0);
    dialogs.answers = {mbCancel};
    click("BtnBackupOpen");
    EXPECT_EQ(dialogs.texts(), QStringList{SaveQuestion});
    EXPECT_EQ(Main->image(), faulty);
    EXPECT_EQ(Main->projectName(), QStringLiteral("ABCD"));
    EXPECT_EQ(title(), QStringLiteral("Конфигурация - ABCD"));
    EXPECT_EQ(Main->inputName(1), QString());

    // The controller's own project keeps its names.
    Main->setInputName(1, QStringLiteral("Холл"));
    Main->image() = TImage();
    Main->EditorReload();
    Main->setSaved(true);
    click("BtnBackupOpen");
    EXPECT_EQ(Main->image(), faulty);
    EXPECT_EQ(Main->inputName(1), QStringLiteral("Холл"));

    // A backup of another controller is put back only when the user says
    // so, asked with both serial numbers; one that has become shorter than
    // an image since it was listed is refused. Neither sends anything.
    writeFile(backupFolder() + "/KLMNOPQRST-20250302T080000Z.usr", faulty);
    writeFile(backupFolder() + "/ABCDEFGHIJ-20250303T080000Z.usr", faulty);
    ASSERT_TRUE(waitFor([&] { return Main->formBackups()->list()->topLevelItemCount() == 3; }));
    FormPort->show();
    chooseBackup(1);
    dialogs.messages.clear();
    dialogs.answers = {mbCancel};
    click("BtnBackupWrite");
    EXPECT_EQ(dialogs.texts(),
              QStringList{QStringLiteral("Резервная копия сделана с контроллера KLMNOPQRST, а "
                                         "подключен контроллер ABCDEFGHIJ.\nЗаписать ее в этот "
                                         "контроллер?")});
    chooseBackup(0);
    ASSERT_TRUE(QFile::resize(backupFolder() + "/ABCDEFGHIJ-20250303T080000Z.usr", 2047));
    dialogs.messages.clear();
    click("BtnBackupWrite");
    EXPECT_EQ(dialogs.texts(),
              QStringList{QStringLiteral("Резервную копию %1 не удалось прочитать: в файле не 2048 байт")
                              .arg(backupFolder() + "/ABCDEFGHIJ-20250303T080000Z.usr")});
    EXPECT_EQ(Main->formBackups()->list()->topLevelItemCount(), 2);
    EXPECT_TRUE(transferDone());
    EXPECT_FALSE(wrote());

    // Put back with its errors shown, whatever the project holds.
    Main->image() = siteImage();
    Main->EditorReload();
    chooseBackup(1);
    dialogs.messages.clear();
    dialogs.choiceLists.clear();
    click("BtnBackupWrite");
    ASSERT_EQ(dialogs.choiceLists.size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].startsWith(QStringLiteral("Ошибок в конфигурации: 24")))
        << dialogs.texts()[0].toStdString();
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    EXPECT_EQ(Main->image(), siteImage());

    // The controller holds the backup put back: a comparison reads it (and
    // keeps it as every read does). Once the project is written, the
    // comparison says when it was read; compared again, nothing differs.
    QTest::keyClick(Main->formBackups()->list(), Qt::Key_Escape);
    pressOnMain(Qt::Key_F9, Qt::ShiftModifier);
    ASSERT_TRUE(waitFor([&] { return transferDone() && compareWindow()->isVisible(); }));
    EXPECT_EQ(readFile(backups().last()), faulty);
    const int differing = differences()->topLevelItemCount();
    EXPECT_GT(differing, 1);
    EXPECT_TRUE(compareWindow()->staleNote().isEmpty());
    dialogs.answers.clear();
    QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    EXPECT_TRUE(compareWindow()->staleNote().contains(QRegularExpression(
        QStringLiteral("^Сравнение может быть устаревшим: контроллер прочитан в \\d\\d:\\d\\d:\\d\\d, "))))
        << compareWindow()->staleNote().toStdString();
    EXPECT_EQ(differences()->topLevelItemCount(), differing);
    QTest::keyClick(differences(), Qt::Key_Escape);
    pressOnMain(Qt::Key_F9, Qt::ShiftModifier);
    ASSERT_TRUE(waitFor([&] { return transferDone() && compareWindow()->staleNote().isEmpty(); }));
    EXPECT_EQ(shown(differences()), QStringList{QStringLiteral("Нет различий")});
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(readFile(dump), siteImage());
}
