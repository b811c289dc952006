// The acceptance test window driven by the keyboard as an engineer walking
// the building drives it: one key per result, each on disk at once and read
// back by kt7tool; an edit of an input shows its results as stale at once
// and an edit of another does not; Ctrl+Z takes back the edit, never a
// result; a project without a file is saved before its first result.

#include "tests/gui/TMainFixture.h"

#include "app/TFormAcceptance.h"
#include "project/TAcceptanceFile.h"
#include "tests/support/TAcceptanceSite.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>

class AcceptanceWindow : public TMainFixture {
protected:
    void SetUp() override
    {
        TMainFixture::SetUp();
        reloadWith(acceptanceSite());
        Main->setInputName(1, "Пожар");
        TSiteNames site;
        site.engineer = "Иванов И. И.";
        site.zones[static_cast<size_t>(Layout::outputBit(1, 2))] = "Коридор";
        Main->project().setSiteNames(site);
        Main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    }
    void open()
    {
        QTest::keyClick(Main, Qt::Key_T, Qt::ControlModifier);
        form = Main->findChild<TFormAcceptance*>("FormAcceptance");
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(form->isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        inputs = form->findChild<QTableWidget*>("GridInputs");
        effects = form->findChild<QTableWidget*>("GridEffects");
        ASSERT_TRUE(inputs && effects);
    }
    void save(const QString& file)
    {
        dialogs.savePaths = {file};
        QTest::keyClick(Main, Qt::Key_S, Qt::ControlModifier);
        ASSERT_TRUE(Main->saved());
    }
    // A key on the effects, as many times as the engineer presses it.
    void press(Qt::Key key, int times = 1)
    {
        for (int n = 0; n < times; ++n)
            QTest::keyClick(effects, key);
        keys += times;
        QCoreApplication::processEvents();
    }
    // Letters typed where the keyboard is, Cyrillic ones too, one key each.
    void type(QWidget* target, const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
            ++keys;
        }
    }
    QString state(int row) const { return inputs->item(row, 1)->text(); }
    QString result(int row) const { return effects->item(row, TFormAcceptance::ColResult)->text(); }
    std::vector<TAcceptanceResult> onDisk() const
    {
        TAcceptanceFile::Contents c;
        EXPECT_TRUE(TAcceptanceFile::read(dir.filePath("site.results.txt").toStdString(), c).ok());
        EXPECT_TRUE(c.damaged.empty());
        return c.results;
    }
    QByteArray bytesOnDisk() const
    {
        QFile f(dir.filePath("site.results.txt"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    TFormAcceptance* form = nullptr;
    QTableWidget* inputs = nullptr;
    QTableWidget* effects = nullptr;
    int keys = 0;
};

TEST_F(AcceptanceWindow, OneKeyPerResultOnDiskAtOnceAndStaleOnlyAfterAnEditOfItsInput)
{
    save(dir.filePath("site.usr"));
    open();
    ASSERT_EQ(inputs->rowCount(), 2);
    EXPECT_EQ(inputs->item(0, 0)->text(), "IN-1 Пожар");
    EXPECT_EQ(state(0), "не испытан");
    EXPECT_EQ(form->findChild<QLineEdit*>("EditTester")->text(), "Иванов И. И.");
    ASSERT_EQ(effects->rowCount(), 4);
    EXPECT_EQ(effects->item(1, TFormAcceptance::ColTarget)->text(), "LB1 OUT2");
    EXPECT_EQ(effects->item(1, TFormAcceptance::ColName)->text(), "Коридор");
    EXPECT_EQ(effects->item(1, TFormAcceptance::ColMessage)->text(), "Панель, сообщение 1");
    EXPECT_EQ(effects->item(3, TFormAcceptance::ColTime)->text(), "с 00:30, неограниченно");
    EXPECT_TRUE(effects->item(3, TFormAcceptance::ColMessage)->text().isEmpty());

    // 1 and + pass and move on, each result on disk before the next key.
    effects->setFocus();
    press(Qt::Key_1);
    EXPECT_EQ(onDisk().size(), 1u);
    EXPECT_EQ(effects->currentRow(), 1);
    press(Qt::Key_Plus);
    ASSERT_EQ(onDisk().size(), 2u);
    EXPECT_EQ(onDisk()[1].target, "LB1.OUT2");
    EXPECT_EQ(onDisk()[1].tester, "Иванов И. И.");
    // 2 fails and opens the remark, which Enter records.
    press(Qt::Key_2);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit*>(editor));
    type(editor, "тихо");
    QTest::keyClick(editor, Qt::Key_Return);
    ++keys;
    QCoreApplication::processEvents();
    ASSERT_EQ(onDisk().size(), 3u);
    EXPECT_EQ(onDisk()[2].verdict, TAcceptanceResult::Verdict::Fail);
    EXPECT_EQ(onDisk()[2].note, "тихо");
    EXPECT_EQ(effects->currentRow(), 3);
    press(Qt::Key_1);
    EXPECT_EQ(state(0), "не годен");
    EXPECT_EQ(inputs->item(0, 2)->text(), "4 из 4");
    EXPECT_EQ(keys, 9); // four effects: three of one key, one failed with a remark of four letters
    EXPECT_TRUE(form->summary().startsWith("Испытано входов: 1 из 2; годен: 0; замечаний: 1"));

    // Back to the failed one, passed on a second try: its remark stays.
    press(Qt::Key_Up);
    press(Qt::Key_1);
    EXPECT_EQ(state(0), "годен");
    EXPECT_EQ(effects->item(2, TFormAcceptance::ColNote)->text(), "тихо");
    EXPECT_TRUE(form->findChild<QLabel*>("LabelInput")->text().contains("Испытатель: Иванов И. И., начато "));

    // kt7tool reads what the window wrote: IN-2 is still to be tested.
    QProcess tool;
    tool.start(QStringLiteral(KT7TOOL_PATH), {"results", dir.filePath("site.usr")});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardOutput())
                    .startsWith("IN-1 Пожар: годен, испытано 4 из 4, годен 4, замечаний 1; Иванов И. И., "));

    // An edit of IN-2 leaves IN-1's results as they are; one of IN-1 makes
    // them stale at once: shown, not counted, beside the new effect.
    const QByteArray recorded = bytesOnDisk();
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    ASSERT_TRUE(click(Main->inputNode(2)));
    clickBranch(Main->inputNode(2));
    ASSERT_TRUE(click(Main->stageNode(2, 1)));
    QTest::mouseClick(box(97 + Layout::outputBit(1, 4)), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(state(0), "годен");
    ASSERT_TRUE(click(Main->inputNode(1)));
    clickBranch(Main->inputNode(1));
    ASSERT_TRUE(click(Main->stageNode(1, 1)));
    QTest::mouseClick(box(97 + Layout::outputBit(1, 4)), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(state(0), "устарел");
    ASSERT_EQ(effects->rowCount(), 5);
    EXPECT_EQ(result(0), "годен (устарел)");
    EXPECT_TRUE(result(2).isEmpty()); // LB1 OUT4, new in stage 1
    EXPECT_EQ(inputs->item(0, 2)->text(), "0 из 5");

    // Ctrl+Z takes back the edit, not the results: IN-1 has passed again.
    QTest::keyClick(Main, Qt::Key_Z, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(state(0), "годен");
    EXPECT_EQ(bytesOnDisk(), recorded);
}

TEST_F(AcceptanceWindow, AProjectWithoutAFileIsSavedBeforeItsFirstResult)
{
    open();
    EXPECT_TRUE(form->summary().contains("Проект еще не сохранен в файле"));
    effects->setFocus();
    // «Не проверено» where nothing was recorded writes nothing, and asks nothing.
    press(Qt::Key_0);
    EXPECT_TRUE(dialogs.texts().isEmpty());
    EXPECT_EQ(effects->currentRow(), 1);
    press(Qt::Key_Up);
    dialogs.answers = {mbCancel};
    press(Qt::Key_1);
    EXPECT_EQ(dialogs.texts().last(),
              "Результаты испытаний записываются в файл рядом с проектом, а проект еще не сохранен в файле. "
              "Сохранить проект?");
    EXPECT_EQ(result(0), "");
    EXPECT_EQ(effects->currentRow(), 0);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    // Saved from the question: the result goes beside the file chosen.
    dialogs.answers = {mbOK};
    dialogs.savePaths = {dir.filePath("site.usr")};
    press(Qt::Key_1);
    EXPECT_TRUE(QFile::exists(dir.filePath("site.usr")));
    ASSERT_EQ(onDisk().size(), 1u);
    EXPECT_EQ(result(0), "годен");
    EXPECT_EQ(effects->currentRow(), 1);
    EXPECT_TRUE(form->summary().contains(dir.filePath("site.results.txt")));
}
