// The window's transfers on a line that misbehaves, end to end against
// kt7sim: replies that do not line up still move the image exactly, a write
// cut short says what the controller holds and how to put it back, and a
// write the controller does not need sends nothing.

#include "tests/gui/TLinkFixture.h"

#include "link/FrameLayout.h"

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

// Runs a command as a box printed it, through sh, in the given environment
// with kt7tool on PATH; it must succeed.
void runAsPrinted(const QString& command, QProcessEnvironment env)
{
    env.insert("PATH", QFileInfo(KT7TOOL_PATH).absolutePath() + ':' + env.value("PATH"));
    QProcess shell;
    shell.setProcessEnvironment(env);
    shell.start("sh", {"-c", command});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
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
        {"a reply for another block, twice", {"--wrong-address", "0x40:0x80:2"}},
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
// prints puts that back as printed, run by another user. A request the port
// took only in part is no block the controller may have taken.
TEST_F(ControllerLinkFaults, AWriteCutShortSaysWhatTheControllerHoldsAndHowToPutItBack)
{
    struct Ending {
        const char* what;
        QStringList simulator;
        QString cause;
        bool byUser;
        uint32_t portBuffer; // of the serial component, bytes
    };
    // The controller starts with zeros, which the check passes, so the
    // restore command needs no force. 64 replies go to the backup read.
    const Ending endings[] = {
        {"silence",
         {"--silent-after", "74"},
         QStringLiteral("блок 0140: нет ответа за 500 мс (попыток: 3)"),
         false,
         4096},
        {"the line lost", {"--close-after", "74"}, QStringLiteral("связь с портом COM 1 потеряна"), false, 4096},
        {"Подключить released", {"--delay", "20"}, QStringLiteral("отключение от контроллера"), true, 4096},
        {"requests taken in part", {}, QStringLiteral("блок 0000: нет ответа за 500 мс (попыток: 3)"), false, 16},
    };
    const TImage written = randomImage(61);
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.what);
        if (button("TBFind")->isChecked())
            QTest::mouseClick(button("TBFind"), Qt::LeftButton);
        m_sims.clear();
        QDir(m_config.filePath("data/kt7config/backups")).removeRecursively();
        const QString dump = m_config.filePath("dump.usr");
        QFile::remove(dump);
        TSimProcess& sim = simulate(1, QStringList{"--dump", dump} + ending.simulator);
        link().commPort().SetOBuffSize(ending.portBuffer);
        connectTo(1, 19200);
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
        const TMessage& box = dialogs.messages.back();
        EXPECT_EQ(box.icon, TMsgIcon::Error);
        ASSERT_EQ(backups().size(), 1);
        const QString backup = backups()[0];
        EXPECT_EQ(firstDifference(readFile(backup), TImage()), -1);
        EXPECT_TRUE(log().contains(QStringLiteral("Обмен прерван: Запись прервана: %1.").arg(ending.cause)));
        if (ending.portBuffer < Frame::BlockFrameSize) {
            EXPECT_EQ(box.text,
                      QStringLiteral("Запись прервана: %1.\nВ контроллер ничего не записано: он хранит "
                                     "прежнюю конфигурацию.")
                          .arg(ending.cause));
            EXPECT_EQ(firstDifference(held, TImage()), -1);
            link().commPort().SetOBuffSize(4096);
            continue;
        }
        int done = 0;
        const auto sameBlock = [&](int block) {
            for (int i = block * 32; i < (block + 1) * 32; ++i)
                if (held.byte(i) != written.byte(i))
                    return false;
            return true;
        };
        while (done < 64 && sameBlock(done))
            ++done;

        const QRegularExpression expected(
            QRegularExpression::escape(QStringLiteral("Запись прервана: %1.\nКонтроллер принял ").arg(ending.cause))
            + QStringLiteral("(\\d+) из 64 блоков( \\((\\d+), если контроллер принял блок ([0-9A-F]{4})\\))?\\.\n")
            + QRegularExpression::escape(QStringLiteral("Контроллер хранит смешанную конфигурацию: начало новой, "
                                                        "остальное прежней. Из 64 измененных блоков записано "))
            + QStringLiteral("(\\d+), не записано (\\d+)(, блок ([0-9A-F]{4}) — неизвестно)?\\.")
            + QRegularExpression::escape(
                QStringLiteral("\n\nПрежняя конфигурация контроллера сохранена в файле\n%1\nЧтобы вернуть ее, выберите "
                               "эту копию в окне «Резервные копии» (Ctrl+B) и нажмите «Записать в контроллер» или "
                               "отожмите «Подключить», чтобы освободить порт, и выполните:\nkt7tool restore %1 "
                               "--device %2 --baud 19200")
                    .arg(backup, line(1)))
            + "$");
        const QRegularExpressionMatch m = expected.match(box.text);
        ASSERT_TRUE(m.hasMatch()) << box.text.toStdString();
        // What the box says against what the controller holds: the blocks
        // it took are the new ones, the rest are as the backup has them.
        const int said = m.captured(1).toInt();
        const bool inDoubt = m.captured(2).size() > 0;
        EXPECT_TRUE(done == said || (inDoubt && done == said + 1)) << done << " " << said;
        EXPECT_EQ(m.captured(5).toInt(), said);
        EXPECT_EQ(m.captured(6).toInt(), 64 - said - (inDoubt ? 1 : 0));
        EXPECT_GE(done, 6);
        for (int i = (said + 1) * 32; i < TImage::Size; ++i)
            ASSERT_EQ(held.byte(i), 0) << i;
        if (ending.cause.startsWith(QStringLiteral("связь"))) {
            EXPECT_TRUE(dialogs.messages[dialogs.messages.size() - 2].text.startsWith("COM port lost"));
        }

        // The command as printed, against the controller as it was left,
        // run by another user: another home, none of this one's settings.
        if (ending.byUser) {
            TSimProcess& again = simulate(1, QStringList{"--image", dump, "--dump", dump});
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("HOME", m_config.filePath("other"));
            for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"})
                env.remove(variable);
            ASSERT_NO_FATAL_FAILURE(runAsPrinted(box.text.section('\n', -1), env));
            ASSERT_TRUE(again.finish());
            EXPECT_EQ(firstDifference(readFile(dump), TImage()), -1);
        }
        dialogs.messages.clear();
    }
}

// A write stopped, then another stopped in turn: the second reads a mixed
// controller, and its box names the backup of the configuration the
// controller held before the first, which the printed command puts back. A
// third stopped in its backup read has written nothing, but says that the
// controller is mixed all the same.
TEST_F(ControllerLinkFaults, AWriteStoppedTwiceNamesTheConfigurationHeldBeforeTheFirst)
{
    const TImage first = randomImage(91);
    const QString path = m_config.filePath("controller.usr");
    writeFile(path, first);
    const QString dump = m_config.filePath("dump.usr");
    TSimProcess& sim = simulate(1, {"--image", path, "--dump", dump, "--delay", "20"});
    for (int round = 0; round < 2; ++round) {
        // The reply to the request that was out when the port was closed
        // comes before the port is opened again.
        idle(300);
        connectTo(1);
        Main->image() = randomImage(92 + round);
        dialogs.answers = {mbChoice, mbOK};
        QTest::mouseClick(button("TBWrite"), Qt::LeftButton);

        ASSERT_TRUE(waitFor([&] {
            return panel()->caption() == WriteCaption && panel()->progressBar()->value() >= (4 + 4 * round) * 32;
        }));
        QTest::mouseClick(button("TBFind"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] {
            return !dialogs.messages.empty()
                && dialogs.messages.back().text.startsWith(QStringLiteral("Запись прервана"));
        }));
    }
    const QString box = dialogs.messages.back().text;
    ASSERT_EQ(backups().size(), 2);
    const QString kept = readFile(backups()[0]) == first ? backups()[0] : backups()[1];
    const QString mixed = kept == backups()[0] ? backups()[1] : backups()[0];
    EXPECT_EQ(readFile(kept), first);
    EXPECT_TRUE(box.contains(QStringLiteral("Контроллер хранил смешанную конфигурацию уже до этой записи: предыдущая "
                                            "запись в него не завершена.\n\nПрежняя конфигурация контроллера "
                                            "сохранена в файле\n%1\n")
                                 .arg(kept)))
        << box.toStdString();
    EXPECT_FALSE(box.contains(mixed)) << box.toStdString();

    idle(300);
    connectTo(1);
    dialogs.answers = {mbChoice, mbOK};
    QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return panel()->progressBar()->value() >= 3 * 32; }));
    ASSERT_EQ(panel()->caption(), QStringLiteral("Чтение данных ..."));
    QTest::mouseClick(button("TBFind"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] {
        return !dialogs.messages.empty()
            && dialogs.messages.back().text.startsWith(QStringLiteral("Запись не выполнена"));
    }));
    EXPECT_EQ(dialogs.messages.back().text,
              QStringLiteral("Запись не выполнена: чтение конфигурации контроллера перед записью прервано: отключение "
                             "от контроллера.\nВ контроллер ничего не записано.\nКонтроллер мог хранить смешанную "
                             "конфигурацию уже до этой записи: предыдущая запись в него не завершена, а проверить это "
                             "не удалось: чтение перед записью прервано.")
                  + box.mid(box.indexOf(QStringLiteral("\n\nПрежняя"))));

    // A write whose first block never goes out whole has written nothing,
    // into a controller still mixed.
    idle(300);
    connectTo(1);
    link().commPort().SetOBuffSize(16);
    dialogs.answers = {mbChoice, mbOK};
    QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
    ASSERT_TRUE(waitFor(
        [&] { return transferDone() && dialogs.messages.back().text.startsWith(QStringLiteral("Запись прервана")); },
        20000));
    link().commPort().SetOBuffSize(4096);
    QTest::mouseClick(button("TBFind"), Qt::LeftButton);
    EXPECT_EQ(dialogs.messages.back().text,
              QStringLiteral("Запись прервана: блок 0000: нет ответа за 500 мс (попыток: 3).\nВ контроллер ничего не "
                             "записано.\nКонтроллер хранит смешанную конфигурацию.\nКонтроллер хранил смешанную "
                             "конфигурацию уже до этой записи: предыдущая запись в него не завершена.")
                  + box.mid(box.indexOf(QStringLiteral("\n\nПрежняя"))));

    // The controller as the writes left it, without the request cut short.
    ASSERT_TRUE(sim.finish());
    TSimProcess& again = simulate(1, {"--image", dump, "--dump", dump});
    ASSERT_NO_FATAL_FAILURE(runAsPrinted(box.section('\n', -1), QProcessEnvironment::systemEnvironment()));
    ASSERT_TRUE(again.finish());
    EXPECT_EQ(readFile(dump), first);
}

// A write whose echo differed leaves the controller marked; what the
// controller holds when the next write reads it decides, not the mark. Put
// back to its earlier memory by other means, a read stopped part-way cannot
// show it: the controller may be mixed, and the box says so and why. Holding
// blocks of another configuration, the mark was wrong. Written whole by
// another user with kt7tool, the controller holds that configuration, which
// the next write cut short names as the way back, and the command it prints
// puts back.
TEST_F(ControllerLinkFaults, WhatTheControllerHoldsIsBelievedOverTheMark)
{
    const TImage earlier = randomImage(111);
    const TImage written = randomImage(112);
    const TImage other = randomImage(113);
    const QString earlierPath = m_config.filePath("earlier.usr");
    const QString otherPath = m_config.filePath("other.usr");
    writeFile(earlierPath, earlier);
    writeFile(otherPath, other);
    const QString dump = m_config.filePath("dump.usr");
    const QString stopped = QStringLiteral("Запись не выполнена: чтение конфигурации контроллера перед записью "
                                           "прервано: блок 0200: контроллер ответил адресом 0220 (попыток: 3).\nВ "
                                           "контроллер ничего не записано.");
    QProcessEnvironment otherUser = QProcessEnvironment::systemEnvironment();
    otherUser.insert("HOME", m_config.filePath("other"));
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        otherUser.remove(variable);
    struct Case {
        const char* what;
        QString held;         // what the controller is given after the write, by other means
        bool otherUserWrites; // then another user writes other.usr whole with kt7tool
        QString box;          // the start of the next write's box
        bool wayBack;         // the box names the way back
    };
    const Case cases[] = {
        {"put back, the read stopped", earlierPath, false,
         stopped
             + QStringLiteral(
                 "\nКонтроллер мог хранить смешанную конфигурацию уже до этой записи: предыдущая запись в "
                 "него не завершена, а проверить это не удалось: чтение перед записью прервано.\n\nПрежняя "
                 "конфигурация контроллера сохранена в файле\n"),
         true},
        {"another configuration, the read stopped", otherPath, false, stopped, false},
        {"another user's whole write", dump, true,
         QStringLiteral("Запись прервана: блок 0140: нет ответа за 500 мс (попыток: 3).\nКонтроллер принял 10 из 64 "
                        "блоков (11, если контроллер принял блок 0140).\nКонтроллер хранит смешанную конфигурацию: "
                        "начало новой, остальное прежней. Из 64 измененных блоков записано 10, не записано 53, блок "
                        "0140 — неизвестно.\n\nПрежняя конфигурация контроллера сохранена в файле\n"),
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (button("TBFind")->isChecked())
            QTest::mouseClick(button("TBFind"), Qt::LeftButton);
        m_sims.clear();
        QDir(m_config.filePath("data/kt7config/backups")).removeRecursively();
        TSimProcess& echo = simulate(1, {"--image", earlierPath, "--dump", dump, "--corrupt-echo", "5"});
        connectTo(1);
        Main->image() = written;
        dialogs.answers = {mbChoice, mbOK};
        QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return transferDone() && dialogs.texts().join('|').contains("эхо 1 из 64"); }))
            << dialogs.texts().join('|').toStdString();
        QTest::mouseClick(button("TBFind"), Qt::LeftButton);
        ASSERT_TRUE(echo.finish());
        ASSERT_EQ(readFile(dump), written);

        const bool stops = !c.otherUserWrites;
        if (c.otherUserWrites) {
            TSimProcess& sim = simulate(1, {"--image", dump, "--dump", dump});
            QProcess tool;
            tool.setProcessEnvironment(otherUser);
            tool.start(KT7TOOL_PATH, {"write", otherPath, "--device", line(1), "--force", "--quiet"});
            ASSERT_TRUE(tool.waitForFinished(30000));
            EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
            ASSERT_TRUE(sim.finish());
            ASSERT_EQ(readFile(dump), other);
        }
        const TImage before = readFile(c.held);
        simulate(1,
                 QStringList{"--image", c.held, "--dump", dump}
                     + (stops ? QStringList{"--wrong-address", "0x200:0x220"} : QStringList{"--silent-after", "74"}));
        connectTo(1);
        Main->image() = randomImage(114);
        dialogs.messages.clear();
        dialogs.answers = {mbChoice, mbOK};
        QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return transferDone() && dialogs.messages.size() == 3; }, 20000))
            << dialogs.texts().join('|').toStdString();
        const QString box = dialogs.messages.back().text;
        EXPECT_TRUE(c.wayBack ? box.startsWith(c.box) : box == c.box) << box.toStdString();
        if (!c.wayBack)
            continue;
        const QString wayBack = box.section('\n', c.box.count('\n'), c.box.count('\n'));
        // The configuration before the echo's write while the controller may
        // still be mixed; what the other user wrote once it holds that.
        EXPECT_EQ(readFile(wayBack), stops ? earlier : other);
        if (stops)
            continue;
        QTest::mouseClick(button("TBFind"), Qt::LeftButton);
        ASSERT_TRUE(m_sims.back()->finish());
        TSimProcess& again = simulate(1, {"--image", dump, "--dump", dump});
        ASSERT_NO_FATAL_FAILURE(runAsPrinted(box.section('\n', -1), otherUser));
        ASSERT_TRUE(again.finish());
        EXPECT_EQ(readFile(dump), before);
    }
}

// The same stop, in the window and in kt7tool: the same verdict from what
// the write changes, and, where the controller is not known to hold one
// configuration whole, the same restore command.
TEST_F(ControllerLinkFaults, TheWindowAndKt7toolTellTheSameStopAlike)
{
    const TImage held = randomImage(101);
    const TImage all = randomImage(102);
    const auto blocks = [&](int from, int to) {
        TImage image = held;
        for (int i = from * 32; i < to * 32; ++i)
            image.setByte(i, all.byte(i));
        return image;
    };
    struct Case {
        const char* what;
        TImage image;
        int stopAt; // the block whose request finds the controller silent
        int baud;
        QString window;
        QString tool;
    };
    const Case cases[] = {
        {"block 1 alone changes, stopped at 29", blocks(1, 2), 29, 0,
         QStringLiteral("Все измененные блоки записаны: контроллер хранит новую конфигурацию."),
         "every block the write changes was confirmed: the controller holds the new configuration"},
        {"blocks 0 and 1 unchanged, stopped at 1", blocks(2, 64), 1, 0,
         QStringLiteral("Ни один измененный блок не записан: контроллер хранит прежнюю конфигурацию."),
         "no block the write changes was written: the controller still holds its earlier configuration"},
        {"block 63 unchanged, stopped at 63", blocks(0, 63), 63, 0,
         QStringLiteral("Все измененные блоки записаны: контроллер хранит новую конфигурацию."),
         "every block the write changes was confirmed: the controller holds the new configuration"},
        {"block 5 alone changes, in doubt", blocks(5, 6), 5, 0,
         QStringLiteral("Контроллер может хранить новую конфигурацию (если принял блок 00A0) или прежнюю (если не "
                        "принял)."),
         "the controller may hold the new configuration (if it took block 0x00A0) or its earlier one (if not)"},
        {"every block changed, block 0000 in doubt", all, 0, 0,
         QStringLiteral("Контроллер может хранить прежнюю конфигурацию (если не принял блок 0000) или смешанную, с "
                        "одним этим блоком новой."),
         "the controller may hold its earlier configuration (if it did not take block 0x0000) or a mixed one with "
         "that block new"},
        {"every block changed, the last in doubt", all, 63, 0,
         QStringLiteral("Контроллер может хранить новую конфигурацию (если принял блок 07E0) или смешанную, без этого "
                        "блока."),
         "the controller may hold the new configuration (if it took block 0x07E0) or a mixed one without that block"},
        {"every block changed, stopped at 20", all, 20, 19200,
         QStringLiteral("Контроллер хранит смешанную конфигурацию: начало новой, остальное прежней. Из 64 измененных "
                        "блоков записано 20, не записано 43, блок 0280 — неизвестно."),
         "the controller holds a mixed configuration (20 of the 64 blocks the write changes written, 43 not, block "
         "0x0280 unknown)"},
    };
    const QString heldPath = m_config.filePath("held.usr");
    writeFile(heldPath, held);
    const QString dump = m_config.filePath("dump.usr");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QStringList simulator
            = {"--image", heldPath, "--dump", dump, "--silent-after", QString::number(64 + c.stopAt)};
        if (button("TBFind")->isChecked())
            QTest::mouseClick(button("TBFind"), Qt::LeftButton);
        simulate(1, simulator);
        connectTo(1, c.baud);
        Main->image() = c.image;
        dialogs.answers = {mbChoice, mbOK};
        QTest::mouseClick(button("TBWrite"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return transferDone() && dialogs.messages.size() == 3; }, 20000))
            << dialogs.texts().join('|').toStdString();
        const QString box = dialogs.messages.back().text;
        const QString hex = QString::number(c.stopAt * 32, 16).rightJustified(4, '0').toUpper();
        EXPECT_TRUE(
            box.contains(QStringLiteral("Контроллер принял %1 из 64 блоков (%2, если контроллер принял блок %3).\n%4")
                             .arg(c.stopAt)
                             .arg(c.stopAt + 1)
                             .arg(hex, c.window)))
            << box.toStdString();

        const QString file = m_config.filePath("image.usr");
        writeFile(file, c.image);
        QTest::mouseClick(button("TBFind"), Qt::LeftButton);
        TSimProcess& tool = simulate(1, simulator);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_config.path());
        env.insert("XDG_DATA_HOME", m_config.filePath("data"));
        process.setProcessEnvironment(env);
        QStringList arguments = {"write", file, "--com", "1", "--force", "--quiet"};
        if (c.baud != 0)
            arguments << "--baud" << QString::number(c.baud);
        process.start(KT7TOOL_PATH, arguments);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 2);
        const QString said = QString::fromUtf8(process.readAllStandardError()).trimmed().section('\n', -1);
        EXPECT_TRUE(said.contains(QStringLiteral("write cut short after %1 of 64 blocks, %2 if the controller took "
                                                 "block 0x%3 before its reply failed, %4")
                                      .arg(c.stopAt)
                                      .arg(c.stopAt + 1)
                                      .arg(hex, c.tool)))
            << said.toStdString();
        // The way back, told wherever the controller is not known to hold
        // one configuration whole (one of two included), is the same
        // command, which puts back what the controller held.
        const QString windowCommand = box.contains("kt7tool restore ") ? box.section('\n', -1) : QString();
        EXPECT_EQ(said.section("restore it with: ", 1), windowCommand);
        EXPECT_EQ(windowCommand.isEmpty(), c.tool.startsWith("every") || c.tool.startsWith("no block"));
        if (c.baud == 0)
            continue;
        EXPECT_EQ(windowCommand,
                  QStringLiteral("kt7tool restore %1 --device %2 --baud 19200")
                      .arg(said.section("its earlier configuration is in ", 1).section(',', 0, 0), line(1)));
        ASSERT_TRUE(tool.finish());
        TSimProcess& again = simulate(1, {"--image", dump, "--dump", dump});
        ASSERT_NO_FATAL_FAILURE(runAsPrinted(windowCommand, env));
        ASSERT_TRUE(again.finish());
        EXPECT_EQ(readFile(dump), held);
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
