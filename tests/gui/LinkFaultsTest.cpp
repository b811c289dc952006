// The window's transfers on a line that misbehaves, end to end against
// kt7sim: replies that do not line up still move the image exactly, a write
// cut short says what the controller holds and how to put it back, and a
// write the controller does not need sends nothing.

#include "tests/gui/TLinkFixture.h"

#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString WriteCaption = QStringLiteral("Запись данных ...");

// Every request in the traffic log asks for a block boundary.
QStringList unalignedRequests(const QString& log)
{
    static const QRegularExpression request(
        QStringLiteral("^COM1 Write : 0x00 0x01 0x(06 0x33|26 0x44) 0x([0-9A-F]{2}) 0x([0-9A-F]{2})"),
        QRegularExpression::MultilineOption);
    QStringList wrong;
    for (auto it = request.globalMatch(log); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if ((m.captured(2).toInt(nullptr, 16) << 8 | m.captured(3).toInt(nullptr, 16)) % 32 != 0)
            wrong << m.captured(0);
    }
    return wrong;
}

} // namespace

using ControllerLinkFaults = TLinkFixture;

// Each fault under a write, which reads what the controller holds first:
// the backup it keeps is exactly the controller's image, and the controller
// then holds exactly the project's.
TEST_F(ControllerLinkFaults, RepliesThatDoNotLineUpStillMoveTheImageExactly)
{
    struct Fault {
        const char* what;
        QStringList simulator;
    };
    const Fault faults[] = {
        {"1 surplus byte", {"--surplus", "1"}},
        {"3 surplus bytes 20 ms late", {"--surplus", "3", "--surplus-apart", "--gap", "20"}},
        {"a reply split with a gap", {"--split", "20", "--gap", "30"}},
        {"garbage before the first reply", {"--garbage", "9"}},
        {"a checksum damaged twice", {"--bad-checksum", "4:2"}},
        {"a reply later than the time-out", {"--late", "6:700"}},
    };
    const TImage controller = randomImage(51);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, controller);
    const TImage written = randomImage(53);
    FormPort->show();
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        if (button("TBFind")->isChecked())
            QTest::mouseClick(button("TBFind"), Qt::LeftButton);
        m_sims.clear();
        const QString dump = m_config.filePath("dump.usr");
        TSimProcess& sim = simulate(1, QStringList{"--image", path, "--dump", dump} + fault.simulator);
        connectTo(1);
        FormPort->memo()->clear();
        Main->image() = written;
        dialogs.answers = {mbChoice, mbOK};
        QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return transferDone(); }, 20000));
        EXPECT_EQ(dialogs.messages.size(), 2u) << dialogs.texts().join('|').toStdString();
        dialogs.messages.clear();
        EXPECT_EQ(unalignedRequests(log()), QStringList());
        ASSERT_EQ(backups().size(), 1);
        EXPECT_EQ(firstDifference(readFile(backups()[0]), controller), -1);
        ASSERT_TRUE(sim.finish());
        EXPECT_EQ(firstDifference(readFile(dump), written), -1);
        QDir(m_config.filePath("data/kt7config/backups")).removeRecursively();
    }
}

// However a write ends early, one box says how many blocks the controller
// took, what it holds, and where its earlier configuration is; the command it
// prints puts that back as printed.
TEST_F(ControllerLinkFaults, AWriteCutShortSaysWhatTheControllerHoldsAndHowToPutItBack)
{
    struct Ending {
        const char* what;
        QStringList simulator;
        QString cause;
        bool byUser;
    };
    // The controller starts with zeros, which the check passes, so the
    // restore command needs no force. 64 replies go to the backup read.
    const Ending endings[] = {
        {"silence", {"--silent-after", "74"}, QStringLiteral("блок 0140: нет ответа за 500 мс (попыток: 3)"), false},
        {"the line lost", {"--close-after", "74"}, QStringLiteral("связь с портом COM 1 потеряна"), false},
        {"Подключить released", {"--delay", "20"}, QStringLiteral("отключение от контроллера"), true},
    };
    const TImage written = randomImage(61);
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.what);
        if (button("TBFind")->isChecked())
            QTest::mouseClick(button("TBFind"), Qt::LeftButton);
        m_sims.clear();
        const QString dump = m_config.filePath("dump.usr");
        QFile::remove(dump);
        TSimProcess& sim = simulate(1, QStringList{"--dump", dump} + ending.simulator);
        connectTo(1);
        Main->image() = written;
        dialogs.answers = {mbChoice, mbOK};
        QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
        if (ending.byUser) {
            ASSERT_TRUE(waitFor(
                [&] { return panel()->caption() == WriteCaption && panel()->progressBar()->value() >= 6 * 32; }));
            QTest::mouseClick(button("TBFind"), Qt::LeftButton);
        }
        ASSERT_TRUE(waitFor(
            [&] {
                return transferDone() && !dialogs.messages.empty()
                    && dialogs.messages.back().text.startsWith(QStringLiteral("Запись прервана"));
            },
            20000))
            << dialogs.texts().join('|').toStdString();
        ASSERT_TRUE(sim.finish() || !ending.byUser);
        const TImage held = readFile(dump);
        int done = 0;
        const auto sameBlock = [&](int block) {
            for (int i = block * 32; i < (block + 1) * 32; ++i)
                if (held.byte(i) != written.byte(i))
                    return false;
            return true;
        };
        while (done < 64 && sameBlock(done))
            ++done;

        // The component's own box about a lost line comes first.
        const TMessage& box = dialogs.messages.back();
        EXPECT_EQ(box.icon, TMsgIcon::Error);
        ASSERT_EQ(backups().size(), 1);
        const QString backup = backups()[0];
        const QRegularExpression expected(
            QRegularExpression::escape(QStringLiteral("Запись прервана: %1.\nКонтроллер принял ").arg(ending.cause))
            + QStringLiteral("(\\d+) из 64 блоков( \\((\\d+), если контроллер принял блок ([0-9A-F]{4})\\))?\\.\n")
            + QRegularExpression::escape(
                QStringLiteral("Контроллер хранит смешанную конфигурацию: начало новой, остальное прежней.\n\nПрежняя "
                               "конфигурация контроллера сохранена в файле\n%1\nЧтобы вернуть ее, выберите эту копию "
                               "в окне «Резервные копии» (Ctrl+B) и нажмите «Записать в контроллер» или "
                               "выполните:\nkt7tool write %1 --com 1")
                    .arg(backup))
            + "$");
        const QRegularExpressionMatch m = expected.match(box.text);
        ASSERT_TRUE(m.hasMatch()) << box.text.toStdString();
        // What the box says against what the controller holds: the blocks
        // it took are the new ones, the rest are as the backup has them.
        const int said = m.captured(1).toInt();
        EXPECT_TRUE(done == said || (m.captured(2).size() > 0 && done == said + 1)) << done << " " << said;
        EXPECT_GE(done, 6);
        for (int i = (said + 1) * 32; i < TImage::Size; ++i)
            ASSERT_EQ(held.byte(i), 0) << i;
        EXPECT_EQ(firstDifference(readFile(backup), TImage()), -1);
        EXPECT_TRUE(log().contains(QStringLiteral("Обмен прерван: Запись прервана: %1.").arg(ending.cause)));
        if (ending.cause.startsWith(QStringLiteral("связь"))) {
            EXPECT_TRUE(dialogs.messages[dialogs.messages.size() - 2].text.startsWith("COM port lost"));
        }

        // The command as printed, against the controller as it was left.
        if (ending.byUser) {
            TSimProcess& again = simulate(1, QStringList{"--image", dump, "--dump", dump});
            QProcess shell;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("PATH", QFileInfo(KT7TOOL_PATH).absolutePath() + ':' + env.value("PATH"));
            env.insert("XDG_CONFIG_HOME", m_config.path());
            env.insert("XDG_DATA_HOME", m_config.filePath("data"));
            shell.setProcessEnvironment(env);
            shell.start("sh", {"-c", box.text.section('\n', -1)});
            ASSERT_TRUE(shell.waitForFinished(30000));
            EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
            ASSERT_TRUE(again.finish());
            EXPECT_EQ(firstDifference(readFile(dump), TImage()), -1);
        }
        dialogs.messages.clear();
        QDir(m_config.filePath("data/kt7config/backups")).removeRecursively();
    }
}

TEST_F(ControllerLinkFaults, AWriteTheControllerDoesNotNeedSendsNothing)
{
    const TImage controller = randomImage(71);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, controller);
    TSimProcess& sim = simulate(1, {"--image", path});
    connectTo(1);
    FormPort->show();
    Main->image() = controller;
    dialogs.answers = {mbChoice, mbOK};
    QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return transferDone() && dialogs.messages.size() == 3; }));
    EXPECT_EQ(dialogs.messages.back().text,
              QStringLiteral("Контроллер уже хранит эту конфигурацию.\nЗапись не нужна: "
                             "в контроллер ничего не записано."));
    EXPECT_FALSE(log().contains("0x00 0x01 0x26 0x44"));
    EXPECT_TRUE(backups().isEmpty());
    EXPECT_EQ(Main->statusText(2), QStringLiteral("Запись не нужна: контроллер уже хранит эту конфигурацию"));
    // Longer than the rest of the bar: cut with "…", whole in the tooltip.
    const QLabel* last = Main->findChild<QLabel*>("StatusPanel2");
    EXPECT_TRUE(last->text().endsWith(QChar(0x2026))) << last->text().toStdString();
    EXPECT_EQ(last->toolTip(), Main->statusText(2));
    ASSERT_TRUE(sim.finish());
}

// A write stopped while it still reads what the controller holds has sent
// nothing, and says so.
TEST_F(ControllerLinkFaults, AWriteStoppedDuringItsBackupReadSaysNothingWasWritten)
{
    const TImage controller = randomImage(81);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, controller);
    simulate(1, {"--image", path, "--delay", "20"});
    connectTo(1);
    FormPort->show();
    Main->image() = randomImage(82);
    dialogs.answers = {mbChoice, mbOK};
    QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return panel()->progressBar()->value() >= 3 * 32; }));
    ASSERT_EQ(panel()->caption(), QStringLiteral("Чтение данных ..."));
    QTest::mouseClick(button("TBFind"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return dialogs.messages.size() == 3; }));
    EXPECT_EQ(dialogs.messages.back().text,
              QStringLiteral("Запись не выполнена: чтение конфигурации контроллера перед записью прервано: отключение "
                             "от контроллера.\nВ контроллер ничего не записано."));
    EXPECT_FALSE(log().contains("0x00 0x01 0x26 0x44"));
    EXPECT_TRUE(backups().isEmpty());
}
