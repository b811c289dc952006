// The controller link of the main window, end to end: the real window code,
// the serial port component on a pseudo-terminal and kt7sim on the far side.

#include "tests/gui/TLinkFixture.h"
#include "tests/support/TUserInput.h"

#include "app/TFormBackups.h"
#include "app/TLinkHost.h"
#include "image/TAlarmRecord.h"
#include "link/FrameLayout.h"
#include "link/TFrameChecksum.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <array>
#include <fcntl.h>
#include <map>
#include <random>
#include <stdlib.h>
#include <unistd.h>

namespace {

const QString Connected3 = QStringLiteral("Подключено на COM 3");

} // namespace

// ---- identify ---------------------------------------------------------------

using ControllerLink = TLinkFixture;

TEST_F(ControllerLink, IdentifyAcceptedShowsTheSerialAndDisconnectKeepsIt)
{
    simulate(2);
    FormPort->show();
    pressFind(2);
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Подключено на COM 2"));
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Information);
    EXPECT_EQ(Main->statusText(0), QStringLiteral("Подключено на COM 2"));
    EXPECT_EQ(Main->statusText(1), QStringLiteral("S/N-ABCD (EF.GH.IJ) "));
    EXPECT_TRUE(button("TBRead")->isEnabled());
    EXPECT_TRUE(button("TBWrite")->isEnabled());
    EXPECT_TRUE(button("TBFind")->isChecked());
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(link().timer()->isActive());
    EXPECT_EQ(link().linkState(), TControllerLink::Idle);
    EXPECT_TRUE(log().startsWith("COM2 Write : 0x00 0x01 0x04 0x55 0x74")) << log().toStdString();

    button("TBFind")->click();
    EXPECT_FALSE(button("TBFind")->isChecked());
    EXPECT_EQ(button("TBFind")->text(), QStringLiteral("Подключить"));
    EXPECT_EQ(Main->statusText(0), QStringLiteral("Нет подключения"));
    EXPECT_EQ(Main->statusText(1), QStringLiteral("S/N-ABCD (EF.GH.IJ) "));
    EXPECT_FALSE(button("TBRead")->isEnabled());
    EXPECT_FALSE(button("TBWrite")->isEnabled());
    EXPECT_FALSE(link().commPort().Open());
}

// The link on its own, held by a stand-in for the main window: no windows.
class ControllerLinkAlone : public TLinkFixture {
protected:
    struct THost : TLinkHost {
        TImage& image() override { return m_image; }
        bool saved() const override { return true; }
        void setStatusText(int panel, const QString& text) override { status.at(static_cast<size_t>(panel)) = text; }
        void setTransferUsable(bool usable) override { transferUsable = usable; }
        void releaseFind() override { ++released; }
        void transferStarted() override { ++started; }
        void transferEnded() override { ++ended; }
        void EditorReload() override { ++reloads; }
        void SetProjectName(const QString& name) override { m_projectName = name; }
        QString projectName() const override { return m_projectName; }
        bool approveWrite(const TImage&) override { return true; }

        TImage m_image;
        std::array<QString, 3> status;
        bool transferUsable = false;
        int released = 0;
        int started = 0;
        int ended = 0;
        int reloads = 0;
        QString m_projectName;
    };

    void SetUp() override { usePortsOfTheTest(); }
};

TEST_F(ControllerLinkAlone, IdentifyReplyCutShortByTheTickIsTakenAsFarAsItCame)
{
    // The rest of the reply comes long after the scan interval.
    simulate(1, {"--split", "8", "--gap", "900"});
    THost host;
    TScanPanel panel;
    TControllerLink link(host, panel, Interval);
    // Without a port dialog the scan tries the fixed port, COM 1.
    link.ScanStep();
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); })) << "no identify reply";
    const QString text = host.status[1];
    ASSERT_EQ(text.size(), 20);
    EXPECT_EQ(text.left(10), QStringLiteral("S/N-ABCD ("));
    for (int position : {11, 12, 14, 15, 17, 18})
        EXPECT_EQ(text[position - 1], QChar(0)) << position;
    EXPECT_EQ(text.mid(18), QStringLiteral(") "));
    EXPECT_EQ(host.status[0], QStringLiteral("Подключено на COM 1"));
    EXPECT_TRUE(host.transferUsable);
    EXPECT_FALSE(panel.isVisible());

    // The rest of the reply finds the link idle and stays in the component.
    idle(1200);
    EXPECT_EQ(link.commPort().GetInBuffUsed(), 15u - 8u);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Подключено на COM 1")});
    EXPECT_EQ(host.released, 0);
    EXPECT_EQ(host.reloads, 0);
}

TEST_F(ControllerLink, RefusedIdentifyLeavesThePortOpenAndTransfersDisabled)
{
    simulate(1, {"--refuse-identify"});
    pressFind(1);
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Ошибка подключения !")});
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Error);
    EXPECT_FALSE(button("TBRead")->isEnabled());
    EXPECT_TRUE(button("TBFind")->isChecked());
    EXPECT_TRUE(link().commPort().Open());
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(Main->statusText(0), QStringLiteral("Нет подключения"));
    EXPECT_EQ(link().linkState(), TControllerLink::Idle);
}

// ---- whole-image transfers --------------------------------------------------

TEST_F(ControllerLink, ReadFetchesTheControllersWholeImage)
{
    const TImage controller = randomImage(7);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, controller);
    simulate(1, {"--image", path});
    connectTo(1);

    // Unsaved changes: the question comes first, and Cancel sends nothing.
    Main->setSaved(false);
    dialogs.answers = {mbCancel};
    button("TBRead")->click();
    EXPECT_EQ(dialogs.texts(),
              QStringList{QStringLiteral("Текущий проект конфигурации будет изменен!\n\tПродолжить?")});
    EXPECT_EQ(link().linkState(), TControllerLink::Idle);
    EXPECT_FALSE(panel()->isVisible());

    // Saved: no question.
    Main->setSaved(true);
    dialogs.messages.clear();
    button("TBRead")->click();
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->caption(), QStringLiteral("Чтение данных ..."));
    EXPECT_EQ(link().linkState(), TControllerLink::Read);
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(firstDifference(Main->image(), controller), -1);
    EXPECT_EQ(panel()->progressBar()->value(), 2048);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(title(), QStringLiteral("Конфигурация - ABCD"));
    EXPECT_EQ(Main->projectName(), QStringLiteral("ABCD"));
    EXPECT_TRUE(button("TBSave")->isEnabled());
    EXPECT_TRUE(button("TBReport")->isEnabled());
    EXPECT_EQ(count(log(), "------------"), 64);
}

TEST_F(ControllerLink, EveryReadIsKeptOnceAndAFailedOneIsShown)
{
    const TImage controller = randomImage(8);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, controller);
    simulate(1, {"--image", path});
    connectTo(1);

    // Two reads of the same image: the second finds it in the newest backup
    // and keeps no other.
    const QDir folder(m_config.filePath("data/kt7config/backups"));
    for (int i = 0; i < 2; ++i) {
        Main->setSaved(true);
        QTest::mouseClick(button("TBRead"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    }
    const QStringList kept = folder.entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(kept.size(), 1) << kept.join(' ').toStdString();
    EXPECT_TRUE(kept[0].startsWith("ABCDEFGHIJ-")) << kept[0].toStdString();
    EXPECT_EQ(firstDifference(readFile(folder.filePath(kept[0])), controller), -1);
    EXPECT_EQ(count(log(), QStringLiteral("Резервная копия: ") + folder.filePath(kept[0])), 2);
    EXPECT_TRUE(dialogs.messages.empty());

    // No folder for the backup: the user is told, the read stands.
    qputenv("XDG_DATA_HOME", path.toLocal8Bit());
    Main->setSaved(true);
    button("TBRead")->click();
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Warning);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(
        QStringLiteral("Резервная копия прочитанной конфигурации не сохранена:\n") + path))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(firstDifference(Main->image(), controller), -1);
    EXPECT_EQ(Main->projectName(), QStringLiteral("ABCD"));
}

TEST_F(ControllerLink, ReadIsUndoneAndRedoneByTheKeysButNotWhileATransferRuns)
{
    const TImage controller = randomImage(5);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, controller);
    simulate(1, {"--image", path});
    connectTo(1);
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));

    // A project opened and saved: the read replaces it.
    const TImage mine = randomImage(6);
    writeFile(m_config.filePath("mine.usr"), mine);
    dialogs.openPaths = {m_config.filePath("mine.usr")};
    button("TBOpen")->click();
    Main->setInputName(3, "third");
    dialogs.savePaths = {m_config.filePath("mine.usr")};
    button("TBSave")->click();
    ASSERT_TRUE(Main->saved());
    button("TBRead")->click();
    ASSERT_TRUE(waitFor([&] { return transferDone(); }, 30000));
    ASSERT_EQ(firstDifference(Main->image(), controller), -1);
    QCoreApplication::processEvents();

    EXPECT_EQ(title(), QStringLiteral("Конфигурация - ABCD"));

    // The project's name comes back with its image, and Save proposes it
    // in the project's folder.
    QTest::keyClick(Main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(firstDifference(Main->image(), mine), -1);
    EXPECT_EQ(Main->inputName(3), QStringLiteral("third"));
    EXPECT_TRUE(Main->saved()) << "the project is as saved";
    EXPECT_EQ(title(), QStringLiteral("Конфигурация - mine"));
    dialogs.savePaths = {QString()};
    button("TBSave")->click();
    ASSERT_FALSE(dialogs.fileRequests.empty());
    EXPECT_EQ(dialogs.fileRequests.back().fileName, QStringLiteral("mine"));
    EXPECT_EQ(dialogs.fileRequests.back().folder, m_config.path());
    QTest::keyClick(Main, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(firstDifference(Main->image(), controller), -1);
    EXPECT_FALSE(Main->saved());
    EXPECT_EQ(title(), QStringLiteral("Конфигурация - ABCD"));
    EXPECT_EQ(Main->projectName(), QStringLiteral("ABCD"));

    // While a read fills the image, the keys leave it alone.
    dialogs.answers = {mbOK};
    button("TBRead")->click();
    ASSERT_EQ(link().linkState(), TControllerLink::Read);
    const size_t steps = Main->history().undoCount();
    QTest::keyClick(Main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Main->history().undoCount(), steps);
    EXPECT_FALSE(Main->findChild<QAction*>("ActionUndo")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    EXPECT_EQ(firstDifference(Main->image(), controller), -1);
}

TEST_F(ControllerLink, WriteStoresTheImageInTheController)
{
    const QString dump = m_config.filePath("dump.usr");
    TSimProcess& sim = simulate(1, {"--dump", dump});
    connectTo(1);
    Main->image() = randomImage(11);
    Main->SetProjectName("mine");

    // A random image is full of the check's errors: "Записать" each time.
    dialogs.answers = {mbChoice, mbCancel};
    button("TBWrite")->click();
    EXPECT_EQ(link().linkState(), TControllerLink::Idle);

    button("TBWrite")->click();
    EXPECT_EQ(dialogs.texts().last(),
              QStringLiteral("Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?"));
    // What the controller holds is read and kept first.
    EXPECT_EQ(panel()->caption(), QStringLiteral("Чтение данных ..."));
    ASSERT_TRUE(waitFor([&] { return panel()->caption() == QStringLiteral("Запись данных ..."); }));
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    EXPECT_EQ(dialogs.messages.size(), 4u); // the check's and the write's questions, twice, nothing else
    EXPECT_EQ(Main->statusText(2), QStringLiteral("Запись завершена: 64 блока, эхо совпало"));
    // The last panel takes the rest of the bar: the text shows whole.
    const QLabel* last = Main->findChild<QLabel*>("StatusPanel2");
    EXPECT_EQ(last->text(), Main->statusText(2));
    EXPECT_GE(last->contentsRect().width(), last->fontMetrics().horizontalAdvance(last->text()));
    EXPECT_TRUE(log().contains(QStringLiteral("Запись завершена: 64 блока, эхо совпало")));
    const QStringList kept = QDir(m_config.filePath("data/kt7config/backups")).entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(firstDifference(readFile(m_config.filePath("data/kt7config/backups/") + kept[0]), TImage()), -1);
    EXPECT_TRUE(
        log().contains(QStringLiteral("Резервная копия: ") + m_config.filePath("data/kt7config/backups/") + kept[0]));
    EXPECT_EQ(panel()->progressBar()->value(), 2048);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(title(), QStringLiteral("Конфигурация - mine"));
    EXPECT_TRUE(button("TBSave")->isEnabled());

    // A read after it has nothing to say of the write.
    QTest::mouseClick(button("TBRead"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    EXPECT_EQ(Main->statusText(2), QStringLiteral("Чтение завершено: 64 блока"));
    EXPECT_FALSE(log().contains(QStringLiteral("Запись прервана"))) << log().toStdString();
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(firstDifference(readFile(dump), Main->image()), -1);
}

TEST_F(ControllerLink, ReplyInBatchesIsCollectedAsOneAndSilenceEndsTheReadOnce)
{
    // Batches further apart than the component's status pause arrive one by
    // one; three replies are enough, then the controller falls silent.
    const TImage controller = randomImage(3);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, controller);
    simulate(1, {"--image", path, "--split", "10,10", "--gap", "120", "--silent-after", "3"});
    connectTo(1);
    Main->SetProjectName("mine");
    button("TBRead")->click();
    ASSERT_TRUE(waitFor([&] { return panel()->progressBar()->value() == 3 * 32; }));

    // The read has not completed: the image is as it was.
    EXPECT_EQ(firstDifference(Main->image(), TImage()), -1);
    EXPECT_TRUE(dialogs.messages.empty());
    const QString text = log() + '\n';
    const QString reply = "byte=000A\nbyte=000A\nbyte=0013\n------------\ncopy to%1\n";
    EXPECT_TRUE(text.contains(reply.arg("0000") + reply.arg("0020") + reply.arg("0040"))) << text.toStdString();
    EXPECT_EQ(count(text, "byte=000A"), 6);
    EXPECT_EQ(link().linkState(), TControllerLink::Read);

    // Block 0x0060 is asked for three times, then one box ends the read.
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    EXPECT_EQ(dialogs.texts(),
              QStringList{QStringLiteral("Чтение прервано: блок 0060: нет ответа за 500 мс "
                                         "(попыток: 3).\nПроект не изменен.")});
    EXPECT_EQ(count(log(), "повтор запроса блока 0060"), 2);
    EXPECT_EQ(firstDifference(Main->image(), TImage()), -1);
    EXPECT_EQ(Main->projectName(), QStringLiteral("mine"));
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(QDir(m_config.filePath("data/kt7config/backups")).exists());
}

TEST_F(ControllerLink, CorruptedEchoIsReportedOnceAndTheWriteGoesOn)
{
    const QString dump = m_config.filePath("dump.usr");
    TSimProcess& sim = simulate(1, {"--dump", dump, "--corrupt-echo", "5"});
    connectTo(1);
    Main->image() = randomImage(13);
    QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));

    EXPECT_EQ(dialogs.texts().count(QStringLiteral("Compare Erorr !!!")), 1);
    const QString backup = backups().value(0);
    EXPECT_EQ(dialogs.texts().last(),
              QStringLiteral("Запись завершена, но эхо 1 из 64 блоков не совпало с записанным (00A0).\nКонтроллер "
                             "может хранить не ту конфигурацию, что записана.\n\nПрежняя конфигурация контроллера "
                             "сохранена в файле\n%1\nЧтобы вернуть ее, выберите эту копию в окне «Резервные копии» "
                             "(Ctrl+B) и нажмите «Записать в контроллер» или отожмите «Подключить», чтобы освободить "
                             "порт, и выполните:\nkt7tool restore %1 --device %2")
                  .arg(backup, line(1)));
    // 64 replies to the backup read and 64 echoes; a reply asked for again
    // on a loaded machine may come twice.
    const int replies = count(log(), "------------");
    EXPECT_GE(replies, 2 * 64);
    EXPECT_LE(replies, 2 * 64 + static_cast<int>(log().count(QStringLiteral("повтор запроса"))));
    EXPECT_EQ(Main->statusText(2), QStringLiteral("Запись завершена: 64 блока, эхо не совпало в 1"));
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(firstDifference(readFile(dump), Main->image()), -1);

    // A clean write after it, in the same run, tells its own echo.
    ASSERT_TRUE(waitFor([&] { return !button("TBFind")->isChecked(); }));
    simulate(1, {"--image", dump});
    connectTo(1);
    Main->image() = randomImage(14);
    QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    EXPECT_EQ(Main->statusText(2), QStringLiteral("Запись завершена: 64 блока, эхо совпало"));
    EXPECT_EQ(dialogs.messages.size(), 2u) << dialogs.texts().join('|').toStdString();
}

// A reply for a block other than the one asked for, inside the image or
// not, is asked for again as silence is; the third ends the read with one
// box, and the project, its name and its saved flag stay as they were and no
// backup is kept.
TEST_F(ControllerLink, ReplyForAnotherBlockOrCutShortEndsTheReadAndChangesNothing)
{
    const TImage controller = randomImage(5);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, controller);
    struct Fault {
        QStringList simulator;
        QString cause;
    };
    const Fault faults[] = {
        {{"--wrong-address", "0x20:0x40"}, QStringLiteral("блок 0020: контроллер ответил адресом 0040 (попыток: 3)")},
        {{"--wrong-address", "0x40:0x800"}, QStringLiteral("блок 0040: контроллер ответил адресом 0800 (попыток: 3)")},
        {{"--wrong-address", "0x40:0x7f0"}, QStringLiteral("блок 0040: контроллер ответил адресом 07F0 (попыток: 3)")},
        {{"--cut-reply", "3:20"}, QStringLiteral("блок 0060: ответ неполный (20 из 39 байт) (попыток: 3)")},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.simulator.join(' ').toStdString());
        if (button("TBFind")->isChecked())
            button("TBFind")->click(); // disconnect from the previous round
        m_sims.clear();
        simulate(1, QStringList{"--image", path} + fault.simulator);
        connectTo(1);
        Main->image() = randomImage(17);
        const TImage before = Main->image();
        Main->SetProjectName("mine");
        Main->setSaved(true);
        button("TBRead")->click();
        ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));

        EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Error);
        EXPECT_EQ(dialogs.texts(),
                  QStringList{QStringLiteral("Чтение прервано: %1.\nПроект не изменен.").arg(fault.cause)});
        EXPECT_EQ(link().linkState(), TControllerLink::Idle);
        EXPECT_FALSE(panel()->isVisible());
        EXPECT_EQ(firstDifference(Main->image(), before), -1);
        EXPECT_TRUE(Main->saved());
        EXPECT_EQ(Main->projectName(), QStringLiteral("mine"));
        EXPECT_FALSE(QDir(m_config.filePath("data/kt7config/backups")).exists());
        dialogs.messages.clear();
        FormPort->memo()->clear();
    }
}

// ---- the window around a transfer -------------------------------------------

// However a read or a write ends, completed or not, the undo keys work again;
// while it runs they leave the image alone, and a project dropped on the
// window is refused as Open refuses it, the file manager seeing it not taken.
TEST_F(ControllerLink, EveryEndOfATransferGivesTheUndoKeysBackAndDropsWaitForIt)
{
    const QString mine = m_config.filePath("mine.usr");
    const QString site = m_config.filePath("site.usr");
    writeFile(mine, randomImage(31));
    writeFile(site, randomImage(32));
    const QString refused = QStringLiteral(
        "Идет обмен данными с контроллером !\nДождитесь его окончания или отключитесь от контроллера.");
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    QTreeWidget* tree = Main->findChild<QTreeWidget*>("TV");
    const auto keys = [](Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(Main, Qt::Key_Z, modifiers);
        QCoreApplication::processEvents();
    };

    struct Ending {
        const char* what;
        QStringList simulator;
        const char* button;
        int blocks; // moved before the checks while it runs
        bool lineLost;
    };
    const Ending endings[] = {
        {"read stopped by the user", {"--delay", "40"}, "TBRead", 3, false},
        {"read whose line is lost", {"--delay", "40", "--close-after", "12"}, "TBRead", 3, true},
        {"write stopped by the user", {"--delay", "40"}, "TBWrite", 3, false},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.what);
        m_sims.clear();
        simulate(1, ending.simulator);
        connectTo(1);

        // A project and one change made with the mouse.
        dialogs.openPaths = {mine};
        Main->setSaved(true);
        button("TBOpen")->click();
        ASSERT_EQ(Main->projectName(), QStringLiteral("mine"));
        const TImage opened = Main->image();
        ASSERT_TRUE(TUserInput::click(tree, Main->settingsNode()));
        QCheckBox* phone = Main->findChild<QCheckBox*>("CBPhone");
        const bool phoneOpened = phone->isChecked();
        QTest::mouseClick(phone, Qt::LeftButton, {}, QPoint(phone->height() / 2, phone->height() / 2));
        QCoreApplication::processEvents();
        const TImage edited = Main->image();
        ASSERT_NE(firstDifference(edited, opened), -1);

        dialogs.messages.clear();
        dialogs.answers = {mbOK};
        // A random image is full of the check's errors: "Записать" first.
        if (QLatin1String(ending.button) == QLatin1String("TBWrite"))
            dialogs.answers = {mbChoice, mbOK};
        button(ending.button)->click();
        ASSERT_TRUE(waitFor([&] { return panel()->progressBar()->value() >= ending.blocks * 32; }));

        // While it runs: the keys do nothing, a drop is refused.
        const size_t steps = Main->history().undoCount();
        keys(Qt::ControlModifier);
        EXPECT_EQ(firstDifference(Main->image(), edited), -1);
        EXPECT_EQ(Main->history().undoCount(), steps);
        dialogs.messages.clear();
        const TUserInput::TDrop drop = TUserInput::drop(Main, {site});
        EXPECT_FALSE(drop.taken);
        EXPECT_EQ(dialogs.texts(), QStringList{refused});
        EXPECT_EQ(Main->projectName(), QStringLiteral("mine"));

        // The lost line ends the link; otherwise the user disconnects.
        if (ending.lineLost)
            ASSERT_TRUE(waitFor([&] {
                return dialogs.texts().filter(QStringLiteral("COM port lost")).size() == 1
                    && !button("TBFind")->isChecked();
            }));
        else
            button("TBFind")->click();
        EXPECT_EQ(link().linkState(), TControllerLink::Idle);
        EXPECT_FALSE(panel()->isVisible());

        // The edit is undone and redone; the image is the project's.
        keys(Qt::ControlModifier);
        EXPECT_EQ(firstDifference(Main->image(), opened), -1);
        EXPECT_EQ(phone->isChecked(), phoneOpened);
        keys(Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(firstDifference(Main->image(), edited), -1);
        EXPECT_NE(phone->isChecked(), phoneOpened);

        // A drop is taken again, after the save question.
        dialogs.messages.clear();
        dialogs.answers = {mbCancel};
        const TUserInput::TDrop taken = TUserInput::drop(Main, {site});
        EXPECT_TRUE(taken.entered && taken.taken);
        EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Хотите сохранить текущий проект конфигурации ?")});
        EXPECT_EQ(firstDifference(Main->image(), readFile(site)), -1);
        EXPECT_EQ(title(), QStringLiteral("Конфигурация - site"));
    }
}

// ---- the scan ---------------------------------------------------------------

TEST_F(ControllerLink, AutomaticScanSkipsAbsentPortsOneIntervalEach)
{
    absent(1);
    absent(2);
    simulate(3);
    FormPort->show();
    QElapsedTimer clock;
    clock.start();
    pressFind(0);
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->caption(), QStringLiteral("Сканирование порта COM1"));
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));

    EXPECT_GE(clock.elapsed(), 2 * Interval - 20);
    EXPECT_EQ(dialogs.texts(), QStringList{Connected3});
    EXPECT_EQ(link().portNumber(), 3);
    EXPECT_FALSE(link().timer()->isActive());
    const QString text = log();
    EXPECT_FALSE(text.contains("COM1")) << text.toStdString();
    EXPECT_FALSE(text.contains("COM2")) << text.toStdString();
    EXPECT_EQ(count(text, "COM3 Write : 0x00 0x01 0x04 0x55 0x74"), 1);
}

TEST_F(ControllerLink, AutomaticScanPassesASilentPortAfterOneInterval)
{
    // A pseudo-terminal nobody answers on COM 1.
    const int silent = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(silent, 0);
    ASSERT_EQ(grantpt(silent), 0);
    ASSERT_EQ(unlockpt(silent), 0);
    std::filesystem::create_symlink(ptsname(silent), TPortMap::OverrideFolder() + "/com1");
    simulate(2);
    FormPort->show();
    QElapsedTimer clock;
    clock.start();
    pressFind(0);
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));
    close(silent);

    EXPECT_GE(clock.elapsed(), Interval - 20);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Подключено на COM 2")});
    const QString text = log();
    EXPECT_EQ(count(text, "COM1 Write : 0x00 0x01 0x04 0x55 0x74"), 1);
    EXPECT_EQ(count(text, "COM2 Write : 0x00 0x01 0x04 0x55 0x74"), 1);
}

TEST_F(ControllerLink, FixedPortThatIsAbsentIsReported)
{
    absent(5);
    FormPort->show();
    pressFind(5);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Ошибка открытия COM 5 !")});
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::None);
    EXPECT_FALSE(button("TBFind")->isChecked());
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(link().timer()->isActive());
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(ControllerLink, CancelledDialogStartsNoScan)
{
    dialogs.modals.push_back([](QDialog& dialog) {
        dialog.findChild<QPushButton*>("ButtonOk")->click();
        return dialog.result();
    });
    button("TBFind")->click();
    EXPECT_FALSE(button("TBFind")->isChecked());
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(link().timer()->isActive());
    EXPECT_EQ(link().linkState(), TControllerLink::Idle);
}

TEST_F(ControllerLink, DisconnectStopsARunningScan)
{
    for (int com = 1; com <= 4; ++com)
        absent(com);
    pressFind(0);
    idle(Interval + Interval / 2);
    EXPECT_EQ(panel()->caption(), QStringLiteral("Сканирование порта COM2"));
    button("TBFind")->click();

    EXPECT_FALSE(link().timer()->isActive());
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(link().commPort().Open());
    EXPECT_EQ(Main->statusText(0), QStringLiteral("Нет подключения"));
    idle(2 * Interval);
    EXPECT_EQ(link().portNumber(), 2);
}

TEST_F(ControllerLink, LostLineEndsTheLinkAsADisconnectDoesAndReconnectingWorks)
{
    const TImage controller = randomImage(31);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, controller);
    const TImage local = randomImage(32);
    FormPort->show();
    // The controller hangs up after its tenth block reply, once during a
    // read and once during a write; after each the device comes back.
    for (const char* command : {"TBRead", "TBWrite"}) {
        SCOPED_TRACE(command);
        m_sims.clear();
        simulate(1, {"--image", path, "--close-after", "10"});
        connectTo(1);
        Main->image() = local;
        Main->setSaved(true);
        QTest::mouseClick(button(command), Qt::LeftButton);
        const auto lostBox = [&] {
            for (const TMessage& m : dialogs.messages)
                if (m.text.startsWith("COM port lost"))
                    return &m;
            return static_cast<const TMessage*>(nullptr);
        };
        // The box and the end of the link may come in either order.
        ASSERT_TRUE(waitFor([&] { return lostBox() && !button("TBFind")->isChecked(); }, 5000))
            << dialogs.texts().join('|').toStdString();
        EXPECT_EQ(lostBox()->caption, QStringLiteral("COM port error"));
        EXPECT_EQ(lostBox()->icon, TMsgIcon::Error);

        EXPECT_EQ(button("TBFind")->text(), QStringLiteral("Подключить"));
        EXPECT_EQ(Main->statusText(0), QStringLiteral("Нет подключения"));
        EXPECT_FALSE(button("TBRead")->isEnabled());
        EXPECT_FALSE(button("TBWrite")->isEnabled());
        EXPECT_FALSE(panel()->isVisible());
        EXPECT_FALSE(link().commPort().Open());
        EXPECT_EQ(firstDifference(Main->image(), local), -1);
        EXPECT_TRUE(Main->saved());
        EXPECT_TRUE(log().contains(QStringLiteral("Обмен прерван: ")));

        // "Чтение" can no longer be pressed: nothing is asked, shown or sent.
        dialogs.messages.clear();
        const QString logged = log();
        QTest::mouseClick(button("TBRead"), Qt::LeftButton);
        idle(100);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_FALSE(panel()->isVisible());
        EXPECT_EQ(log(), logged);
    }

    m_sims.clear();
    simulate(1, {"--image", path});
    connectTo(1);
    QTest::mouseClick(button("TBRead"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('|').toStdString();
    EXPECT_EQ(firstDifference(Main->image(), controller), -1);
    EXPECT_EQ(Main->projectName(), QStringLiteral("ABCD"));
    EXPECT_EQ(Main->statusText(2), QStringLiteral("Чтение завершено: 64 блока"));

    // A line lost while nothing runs is noted too.
    m_sims.clear();
    ASSERT_TRUE(waitFor([&] { return !button("TBFind")->isChecked(); }, 5000));
    EXPECT_TRUE(log().contains(QStringLiteral("Связь потеряна: связь с портом COM 1 потеряна")));
}

TEST_F(ControllerLinkAlone, RequestThePortRefusesIsNotLogged)
{
    FormPort = new TFormPort;
    FormPort->show();
    THost host;
    TScanPanel panel;
    TControllerLink link(host, panel, Interval);
    // The port was never opened: the component takes nothing.
    link.TBReadClick();
    EXPECT_EQ(link.linkState(), TControllerLink::Read);
    EXPECT_TRUE(log().isEmpty()) << log().toStdString();
}

TEST_F(ControllerLink, ClosingWaitsForATransferAndACancelledCloseKeepsTheLink)
{
    const QString dump = m_config.filePath("dump.usr");
    TSimProcess& sim = simulate(1, {"--dump", dump, "--delay", "20"});
    connectTo(1);
    const TImage written = randomImage(41);
    Main->image() = written;
    Main->setSaved(true);
    dialogs.answers = {mbChoice, mbOK};
    button("TBWrite")->click();
    ASSERT_TRUE(waitFor([&] { return panel()->caption() == QStringLiteral("Запись данных ..."); }));
    dialogs.messages.clear();
    // "Выход" and the close box alike: refused with the box Open shows.
    QTest::mouseClick(button("ToolButton1"), Qt::LeftButton);
    EXPECT_FALSE(Main->close());
    const QString refused = QStringLiteral(
        "Идет обмен данными с контроллером !\nДождитесь его окончания или отключитесь от контроллера.");
    EXPECT_EQ(dialogs.texts(), (QStringList{refused, refused}));
    EXPECT_TRUE(Main->isVisible());
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(firstDifference(readFile(dump), written), -1);

    // Unsaved changes, "Выход", then Отмена at the question: still connected
    // and working.
    m_sims.clear();
    simulate(1, {"--image", dump});
    button("TBFind")->click();
    connectTo(1);
    Main->setSaved(false);
    dialogs.messages.clear();
    dialogs.answers = {mbCancel};
    QTest::mouseClick(button("ToolButton1"), Qt::LeftButton);
    EXPECT_TRUE(Main->isVisible());
    EXPECT_TRUE(link().commPort().Open());
    EXPECT_TRUE(button("TBFind")->isChecked());
    EXPECT_EQ(Main->statusText(0), QStringLiteral("Подключено на COM 1"));
    dialogs.answers = {mbOK};
    QTest::mouseClick(button("TBRead"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    EXPECT_EQ(firstDifference(Main->image(), written), -1);

    // Closed for real, the port goes with the window.
    Main->setSaved(true);
    EXPECT_TRUE(Main->close());
    EXPECT_EQ(link().linkState(), TControllerLink::Idle);
    EXPECT_FALSE(link().commPort().Open());
}

// While a read or a write runs the pages take no edit: a read replaces the
// image and a write sends it as it was when it began, so the edit would be
// lost either way. The tree may still be browsed.
TEST_F(ControllerLink, PagesWaitWhileATransferRuns)
{
    TImage controller = randomImage(11);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, controller);
    simulate(1, {"--image", path, "--delay", "15"});
    connectTo(1);

    TImage local;
    TAlarmRecord(local, 1).setEnabled(true);
    TAlarmRecord(local, 1).stage(1).setDuration(8);
    for (const char* command : {"TBWrite", "TBRead"}) {
        SCOPED_TRACE(command);
        Main->image() = local;
        Main->EditorReload();
        Main->setSaved(true);
        QTreeWidget* tree = Main->findChild<QTreeWidget*>("TV");
        ASSERT_TRUE(TUserInput::click(tree, Main->algorithmsRoot()) && TUserInput::click(tree, Main->inputNode(1))
                    && TUserInput::click(tree, Main->stageNode(1, 1)));
        dialogs.answers = {mbOK, mbOK};
        QTest::mouseClick(button(command), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return panel()->progressBar()->value() >= 3 * 32; }));

        auto* time = Main->findChild<QComboBox*>("CBTime");
        EXPECT_FALSE(time->isEnabled());
        TUserInput::pick(time, 3);
        EXPECT_EQ(firstDifference(Main->image(), local), -1);
        EXPECT_TRUE(TUserInput::click(tree, Main->inputNode(1)));
        EXPECT_FALSE(Main->findChild<QWidget*>("CBIntState")->isEnabled());

        ASSERT_TRUE(waitFor([&] { return transferDone(); }));
        // The write's question; the read of a saved project asks nothing.
        EXPECT_EQ(dialogs.messages.size(), QLatin1String(command) == QLatin1String("TBWrite") ? 1u : 0u)
            << dialogs.texts().join('|').toStdString();
        EXPECT_TRUE(TUserInput::click(tree, Main->algorithmsRoot()) && TUserInput::click(tree, Main->inputNode(1))
                    && TUserInput::click(tree, Main->stageNode(1, 1)));
        EXPECT_TRUE(time->isEnabled());
        dialogs.messages.clear();
    }
    // The write has put the image before the edit into the controller.
    EXPECT_EQ(firstDifference(Main->image(), local), -1);
}

// ---- faults under real use ---------------------------------------------------

TEST_F(ControllerLink, ScanGoesOnWhileTheBoxOfALostPortIsOpen)
{
    // COM1 hangs up when asked to identify, COM3 holds a controller; the box
    // about COM1 stays open over several scan intervals. (The simulator must
    // not inherit COM1's far end, or closing it would not hang up.)
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    std::filesystem::create_symlink(ptsname(master), TPortMap::OverrideFolder() + "/com1");
    absent(2);
    simulate(3);
    dialogs.boxOpenMs = 4 * Interval;
    pressFind(0);
    bool hungUp = false;
    ASSERT_TRUE(waitFor([&] {
        uint8_t request[16];
        if (!hungUp && read(master, request, sizeof request) > 0) {
            close(master);
            hungUp = true;
        }
        return dialogs.texts().contains(Connected3);
    }));
    ASSERT_TRUE(hungUp);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("COM port lost")) << dialogs.texts().join('|').toStdString();
    EXPECT_EQ(link().portNumber(), 3);
    EXPECT_TRUE(link().commPort().Open());
    EXPECT_TRUE(button("TBRead")->isEnabled());
}

// A write, its backup read included, is never cut short by the window's own
// buttons: "Чтение", "Запись", "Сравнить с контроллером" and the backups
// window's "Записать в контроллер" are refused as closing is, and the write
// ends as if it had run alone. A read starts over, one request at a time.
TEST_F(ControllerLink, AWriteIsNeverCutShortByTheWindowButAReadStartsOver)
{
    const QString dump = m_config.filePath("dump.usr");
    TSimProcess& sim = simulate(1, {"--dump", dump, "--delay", "30"});
    connectTo(1);
    FormPort->show();
    // A project in the window, so that it can be compared.
    Main->image() = randomImage(21);
    Main->EditorReload();
    const TImage written = Main->image();
    Main->setSaved(true);
    QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
    const QString refused = QStringLiteral(
        "Идет обмен данными с контроллером !\nДождитесь его окончания или отключитесь от контроллера.");
    ASSERT_TRUE(waitFor([&] { return panel()->progressBar()->value() >= 2 * 32; }));
    ASSERT_EQ(panel()->caption(), QStringLiteral("Чтение данных ..."));
    dialogs.messages.clear();
    QTest::mouseClick(button("TBRead"), Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), QStringList{refused});
    ASSERT_TRUE(waitFor([&] {
        return panel()->caption() == QStringLiteral("Запись данных ...") && panel()->progressBar()->value() >= 5 * 32;
    }));
    dialogs.messages.clear();
    QTest::mouseClick(button("TBRead"), Qt::LeftButton);
    QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    QTest::keyClick(Main, Qt::Key_F9, Qt::ShiftModifier);
    QTest::keyClick(Main, Qt::Key_B, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Main->formBackups()));
    QTreeWidget* list = Main->formBackups()->list();
    ASSERT_TRUE(waitFor([&] { return list->topLevelItemCount() == 1; }));
    ASSERT_TRUE(TUserInput::click(list, list->topLevelItem(0)));
    QTest::mouseClick(Main->formBackups()->findChild<QPushButton*>("BtnBackupWrite"), Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), (QStringList{refused, refused, refused, refused}));
    ASSERT_TRUE(waitFor([&] { return transferDone(); }, 30000));
    EXPECT_EQ(Main->statusText(2), QStringLiteral("Запись завершена: 64 блока, эхо совпало"));
    EXPECT_FALSE(log().contains(QStringLiteral("Обмен прерван")));
    EXPECT_EQ(dialogs.messages.size(), 4u) << dialogs.texts().join('|').toStdString();
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(firstDifference(readFile(dump), written), -1);

    // "Чтение" pressed again while the reply to the request just sent is on
    // its way: every request after it, the first the read of block 0, goes
    // out once the reply before it is complete.
    ASSERT_TRUE(waitFor([&] { return !button("TBFind")->isChecked(); }));
    simulate(1, {"--image", dump, "--delay", "60"});
    connectTo(1);
    Main->image() = TImage();
    Main->setSaved(true);
    QTest::mouseClick(button("TBRead"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return panel()->progressBar()->value() >= 5 * 32; }));
    FormPort->memo()->clear();
    QTest::mouseClick(button("TBRead"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return transferDone(); }, 30000));
    EXPECT_EQ(firstDifference(Main->image(), written), -1);
    EXPECT_EQ(panel()->progressBar()->value(), 2048);
    const QStringList lines = log().split('\n', Qt::SkipEmptyParts);
    int requests = 0;
    int pending = 0;
    for (const QString& line : lines) {
        const int bytes = static_cast<int>(line.count(" 0x"));
        if (line.startsWith("COM1 Write")) {
            if (requests == 0) {
                EXPECT_TRUE(line.startsWith("COM1 Write : 0x00 0x01 0x06 0x33 0x00 0x00 ")) << line.toStdString();
            }
            EXPECT_LE(pending, 0) << "request " << requests << " sent before the reply to the one before";
            pending = Frame::BlockFrameSize;
            ++requests;
        } else if (line.startsWith("COM1 Read")) {
            pending -= bytes;
        }
    }
    EXPECT_EQ(requests, 64);
}

TEST_F(ControllerLink, OpenAndNewWaitUntilATransferHasEnded)
{
    const QString dump = m_config.filePath("dump.usr");
    TSimProcess& sim = simulate(1, {"--dump", dump, "--delay", "30"});
    connectTo(1);
    Main->image() = randomImage(23);
    const TImage written = Main->image();
    Main->SetProjectName("A");
    const QString other = m_config.filePath("other.usr");
    writeFile(other, randomImage(24));

    button("TBWrite")->click();
    ASSERT_TRUE(waitFor([&] { return panel()->progressBar()->value() >= 3 * 32; }));
    dialogs.messages.clear();
    dialogs.openPaths = {other};
    button("TBOpen")->click();
    button("TBNew")->click();
    const QString refused = QStringLiteral(
        "Идет обмен данными с контроллером !\nДождитесь его окончания или отключитесь от контроллера.");
    EXPECT_EQ(dialogs.texts(), (QStringList{refused, refused}));
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Error);
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_EQ(firstDifference(Main->image(), written), -1);
    EXPECT_EQ(Main->projectName(), QStringLiteral("A"));

    ASSERT_TRUE(waitFor([&] { return transferDone(); }, 30000));
    ASSERT_TRUE(sim.finish());
    EXPECT_EQ(firstDifference(readFile(dump), written), -1);

    // Once it has ended, Open goes ahead.
    dialogs.messages.clear();
    Main->setSaved(true);
    button("TBOpen")->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(firstDifference(Main->image(), readFile(other)), -1);
}

TEST_F(ControllerLink, IdentifyReplyInPiecesOrLateIsTakenWhole)
{
    // Pieces further apart than the component's pause but within the scan
    // interval; and a paced reply that starts after the fixed port's only
    // interval has passed.
    const QStringList cases[] = {{"--split", "8", "--gap", "60"}, {"--baud", "9600", "--delay", "600"}};
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        if (button("TBFind")->isChecked())
            button("TBFind")->click();
        m_sims.clear();
        simulate(1, arguments);
        dialogs.messages.clear();
        pressFind(1);
        ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));
        EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Подключено на COM 1")});
        EXPECT_EQ(Main->statusText(1), QStringLiteral("S/N-ABCD (EF.GH.IJ) "));
        idle(100);
        EXPECT_EQ(link().commPort().GetInBuffUsed(), 0u);
    }
}

TEST_F(ControllerLink, ReadCutShortByDisconnectingChangesNothingAndReconnectWorks)
{
    simulate(1, {"--delay", "100"});
    connectTo(1);
    Main->image() = randomImage(25);
    const TImage before = Main->image();
    Main->setSaved(true);
    button("TBRead")->click();
    ASSERT_TRUE(waitFor([&] { return panel()->progressBar()->value() >= 3 * 32; }));
    // A request is outstanding; its reply arrives on the closed port.
    button("TBFind")->click();
    idle(300);
    EXPECT_EQ(firstDifference(Main->image(), before), -1);
    EXPECT_TRUE(Main->saved());

    dialogs.messages.clear();
    pressFind(1);
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Подключено на COM 1")});
    EXPECT_EQ(firstDifference(Main->image(), before), -1);
}

// ---- a controller played by the test ----------------------------------------

TEST_F(ControllerLink, DamagedRepliesAreAskedForAgainAndNeverReachTheProject)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    std::filesystem::create_symlink(ptsname(master), TPortMap::OverrideFolder() + "/com1");

    // Answers every complete request at once; the replies to blocks 2 and 5
    // carry a wrong last byte `corrupt` times each. The serial number holds
    // a Windows-1251 letter and a NUL.
    int corrupt = 1;
    std::map<int, int> corrupted;
    std::vector<uint8_t> input;
    const auto serve = [&] {
        uint8_t bytes[256];
        const ssize_t n = read(master, bytes, sizeof bytes);
        if (n > 0)
            input.insert(input.end(), bytes, bytes + n);
        if (input.size() >= 5 && input[3] == Frame::CmdIdentify) {
            const uint8_t reply[]
                = {0, 1, 14, Frame::StatusAccepted, 0xC6, 'X', 0x00, 'Z', '0', '1', '0', '2', '0', '3', 0};
            EXPECT_EQ(write(master, reply, sizeof reply), ssize_t(sizeof reply));
            input.erase(input.begin(), input.begin() + 5);
        } else if (input.size() >= 7 && input[3] == Frame::CmdRead) {
            std::array<uint8_t, Frame::BlockFrameSize> reply{0, 1, 38, Frame::CmdRead, input[4], input[5]};
            const int address = input[4] << 8 | input[5];
            for (int i = 0; i < Frame::BlockDataSize; ++i)
                reply[Frame::PosData + i] = static_cast<uint8_t>(address + i);
            reply[Frame::PosBlockChecksum] = TFrameChecksum::over(reply.data(), Frame::PosBlockChecksum);
            if ((address == 2 * 32 || address == 5 * 32) && corrupted[address]++ < corrupt)
                reply[Frame::PosBlockChecksum] ^= 0x5A;
            EXPECT_EQ(write(master, reply.data(), reply.size()), ssize_t(reply.size()));
            input.erase(input.begin(), input.begin() + 7);
        }
        return false;
    };
    pressFind(1);
    ASSERT_TRUE(waitFor([&] { return serve() || !dialogs.messages.empty(); }));
    EXPECT_EQ(Main->statusText(1), QStringLiteral("S/N-ЖX") + QChar(0) + QStringLiteral("Z (01.02.03) "));
    dialogs.messages.clear();

    button("TBRead")->click();
    ASSERT_TRUE(waitFor([&] { return serve() || transferDone(); }));

    // Each damaged reply is asked for again; the read completes intact and
    // without a word.
    for (int i = 0; i < TImage::Size; ++i)
        ASSERT_EQ(Main->image().byte(i), static_cast<uint8_t>(i)) << i;
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('|').toStdString();
    EXPECT_EQ(count(log(), QStringLiteral("повтор запроса блока 0040")), 1);
    EXPECT_EQ(count(log(), QStringLiteral("повтор запроса блока 00A0")), 1);
    // The NUL of the serial number stays out of the title and the name.
    EXPECT_EQ(title(), QStringLiteral("Конфигурация - ЖX_Z"));
    EXPECT_EQ(Main->projectName(), QStringLiteral("ЖX_Z"));

    // Damaged three times: the read ends with one box, the project as it was.
    corrupt = 3;
    corrupted.clear();
    Main->image() = randomImage(7);
    const TImage before = Main->image();
    Main->setSaved(true);
    button("TBRead")->click();
    ASSERT_TRUE(waitFor([&] { return serve() || transferDone(); }));
    EXPECT_EQ(dialogs.texts(),
              QStringList{QStringLiteral("Чтение прервано: блок 0040: ответ с неверной контрольной "
                                         "суммой (попыток: 3).\nПроект не изменен.")});
    EXPECT_EQ(firstDifference(Main->image(), before), -1);
    close(master);
}
