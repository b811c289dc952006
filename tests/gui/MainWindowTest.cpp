#include "tests/gui/TMainFixture.h"

#include "app/TFormCheck.h"
#include "app/TGuideWindow.h"
#include "app/TScanPanel.h"
#include "app/TStateMarks.h"
#include "diag/TDbg.h"
#include "diag/TFormPort.h"
#include "image/TAlarmRecord.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include <utility>

namespace {
int countNodes(QTreeWidgetItem* node)
{
    int n = 1;
    for (int i = 0; i < node->childCount(); ++i)
        n += countNodes(node->child(i));
    return n;
}
} // namespace

using MainWindow = TMainFixture;

TEST_F(MainWindow, StartsWithoutAProject)
{
    EXPECT_EQ(title(), "Конфигурация");
    EXPECT_EQ(Main->size(), QSize(751, 593));
    EXPECT_TRUE(tree()->isHidden());
    EXPECT_TRUE(ctl<QStackedWidget>("PageControl")->isHidden());
    EXPECT_TRUE(Main->saved());
    EXPECT_EQ(Main->image(), TImage());
    EXPECT_EQ(Main->statusText(0), "Нет подключения");
    EXPECT_EQ(Main->statusText(1), "");

    struct Expect {
        const char* name;
        const char* caption;
        bool enabled;
        bool checkable;
    };
    const Expect buttons[] = {{"TBNew", "Создать", true, false},     {"TBOpen", "Открыть", true, false},
                              {"TBSave", "Сохранить", false, false}, {"TBReport", "Отчет", false, true},
                              {"TBCheck", "Проверка", true, false},  {"TBFind", "Подключить", true, true},
                              {"TBRead", "Чтение", false, false},    {"TBWrite", "Запись", false, false},
                              {"ToolButton1", "Выход", true, false}};
    for (const Expect& e : buttons) {
        QToolButton* b = ctl<QToolButton>(e.name);
        EXPECT_EQ(b->text(), QString(e.caption)) << e.name;
        EXPECT_EQ(b->isEnabled(), e.enabled) << e.name;
        EXPECT_EQ(b->isCheckable(), e.checkable) << e.name;
        EXPECT_TRUE(b->isVisible()) << e.name;
    }
    EXPECT_FALSE(ctl<QToolButton>("TBDebug")->isVisible());

    TScanPanel* panel = Main->scanPanel();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(panel->geometry(), QRect(751 / 2 - 233 / 2, 593 / 2 - 81 / 2, 233, 81));
    EXPECT_EQ(panel->progressBar()->maximum(), 2048);
}

// Ctrl+N, Ctrl+O and Ctrl+S do what a click on their buttons does, questions
// included; F1 shows the guide; "Проверка" shows the check's list over the
// window; Ctrl+Shift+D shows and hides the diagnostic windows.
TEST_F(MainWindow, KeysAndButtonsADesktopUserLooksFor)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("keys.usr");
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    QTest::keyClick(Main, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.fileRequests.empty());

    dialogs.modals.push_back([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("ProjectName")->setText("keys");
        return int(QDialog::Accepted);
    });
    QTest::keyClick(Main, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Main->projectName(), "keys");
    dialogs.savePaths = {file};
    QTest::keyClick(Main, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Main->saved());
    EXPECT_EQ(QFileInfo(file).size(), TImage::Size);
    Main->image().setByte(32, 1);
    Main->ToolButton2Click();
    dialogs.answers = {mbCancel};
    dialogs.openPaths = {file};
    QTest::keyClick(Main, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogs.texts(), QStringList{"Хотите сохранить текущий проект конфигурации ?"});
    EXPECT_EQ(Main->image(), TImage());

    QStringList shown;
    Main->guide().setOpener([&](const QString& path) {
        shown << path;
        return false;
    });
    // With no viewer for Markdown the program's own window shows the guide,
    // and Esc closes it.
    const size_t boxes = dialogs.messages.size();
    QTest::keyClick(Main, Qt::Key_F1);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].endsWith("/README.md") && QFileInfo(shown[0]).isFile()) << shown[0].toStdString();
    TGuideWindow* guide = Main->guide().ownWindow();
    ASSERT_NE(guide, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(guide));
    EXPECT_TRUE(guide->browser()->toPlainText().contains("The main window"));
    EXPECT_EQ(dialogs.messages.size(), boxes);
    QTest::keyClick(guide->browser(), Qt::Key_Escape);
    EXPECT_FALSE(guide->isVisible());

    QTest::mouseClick(ctl<QToolButton>("TBCheck"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Main->formCheck()));
    EXPECT_TRUE(Main->frameGeometry().contains(Main->formCheck()->frameGeometry()));
    // A window destroyed first hears no more of the project, and is made
    // again when next asked for.
    delete Main->formCheck();
    Main->image().setByte(32, 2);
    Main->ToolButton2Click();
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    QTest::keyClick(Main, Qt::Key_F8);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Main->formCheck()));

    // Ctrl+Shift+D shows the diagnostic windows and, pressed again in one of
    // them, hides them.
    Dbg = new TDbg;
    FormPort = new TFormPort;
    QTest::keyClick(Main, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(Dbg->isVisible());
    EXPECT_TRUE(FormPort->isVisible());
    QTest::keyClick(FormPort->memo(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(Dbg->isVisible());
    EXPECT_FALSE(FormPort->isVisible());
    delete std::exchange(Dbg, nullptr);
    delete std::exchange(FormPort, nullptr);
}

TEST_F(MainWindow, TreeHas173NodesWithCaptionsAndOffsets)
{
    int total = 0;
    for (int i = 0; i < tree()->topLevelItemCount(); ++i)
        total += countNodes(tree()->topLevelItem(i));
    EXPECT_EQ(total, 173);

    EXPECT_EQ(Main->buttonsRoot()->text(0), "Прогр. кнопок пульта  диктора");
    EXPECT_EQ(Main->groupsRoot()->text(0), "Прогр. групп телеф. пейджинга");
    EXPECT_EQ(offset(Main->systemNode()), 32);
    EXPECT_EQ(offset(Main->settingsNode()), 32);
    EXPECT_EQ(offset(Main->buttonsRoot()), 1488);
    EXPECT_EQ(offset(Main->groupsRoot()), 1560);
    EXPECT_EQ(Main->groupNode(12)->text(0), "Группа 12 (Код-212)");
    EXPECT_EQ(offset(Main->groupNode(12)), 1626);
    EXPECT_EQ(Main->buttonNode(12)->text(0), "Кнопка 12");
    EXPECT_EQ(offset(Main->buttonNode(12)), 1554);
    EXPECT_EQ(Main->inputNode(24)->text(0), "IN-24 ");
    EXPECT_EQ(offset(Main->inputNode(24)), 1428);
    EXPECT_EQ(Main->stageNode(3, 2)->text(0), "Этап 2");
    EXPECT_EQ(offset(Main->stageNode(3, 2)), 48 + 120 + 12);
    EXPECT_EQ(mark(Main->systemNode()), TStateMarks::None);
}

TEST_F(MainWindow, ReloadShowsTheEditorAndKeepsEveryByte)
{
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>(i * 7 + 3));
    image.setByte(32, 0x57); // 6 splitters, 1 console, paging on, music on
    image.setByte(33, 0x97); // 2 message modules, 2 relay modules, low bits set
    reloadWith(image);
    EXPECT_EQ(Main->image(), image);
    EXPECT_FALSE(Main->saved());
    EXPECT_FALSE(tree()->isHidden());
    EXPECT_EQ(tree()->currentItem(), Main->systemNode());
    EXPECT_EQ(ctl<QStackedWidget>("PageControl")->currentIndex(), TMain::PageSystem);
    EXPECT_TRUE(ctl<QToolButton>("TBSave")->isEnabled());
    EXPECT_TRUE(ctl<QToolButton>("TBReport")->isEnabled());
}

TEST_F(MainWindow, MarksAndRefusalFollowTheAlgorithms)
{
    reloadWith(TImage());
    EXPECT_EQ(mark(Main->inputNode(1)), TStateMarks::Off);
    for (int i = 2; i <= 24; ++i)
        EXPECT_EQ(mark(Main->inputNode(i)), TStateMarks::Unreachable) << i;
    EXPECT_FALSE(select(Main->inputNode(2)));
    EXPECT_EQ(tree()->currentItem(), Main->systemNode());

    TImage image;
    TAlarmRecord(image, 1).setEnabled(true);
    reloadWith(image);
    EXPECT_EQ(mark(Main->inputNode(1)), TStateMarks::On);
    EXPECT_EQ(mark(Main->inputNode(2)), TStateMarks::Off);
    EXPECT_TRUE(select(Main->inputNode(2)));

    // Stage 2 waits for stage 1 to run for a limited time.
    EXPECT_EQ(mark(Main->stageNode(1, 2)), TStateMarks::Unreachable);
    EXPECT_FALSE(select(Main->stageNode(1, 2)));
    TAlarmRecord(image, 1).stage(1).setDuration(4);
    reloadWith(image);
    EXPECT_EQ(mark(Main->stageNode(1, 1)), TStateMarks::On);
    EXPECT_EQ(mark(Main->stageNode(1, 2)), TStateMarks::Off);
    TAlarmRecord(image, 1).stage(1).setDuration(255);
    reloadWith(image);
    EXPECT_EQ(mark(Main->stageNode(1, 2)), TStateMarks::Unreachable);
}

TEST_F(MainWindow, AssignedMarkFollowsAnyMaskBit)
{
    TImage image;
    image.setBit(Layout::buttonOffset(3), 47, true); // splitter 12, beyond the one configured
    reloadWith(image);
    EXPECT_EQ(mark(Main->buttonNode(3)), TStateMarks::On);
    EXPECT_EQ(mark(Main->buttonNode(4)), TStateMarks::Off);
    EXPECT_EQ(mark(Main->groupNode(1)), TStateMarks::Off);
}

TEST_F(MainWindow, RootsOpenOnlyWithConsolesOrPaging)
{
    reloadWith(TImage());
    QWidget* stPult = ctl<QWidget>("STPult");
    QWidget* stPhone = ctl<QWidget>("StPhone");
    EXPECT_TRUE(select(Main->buttonsRoot()));
    EXPECT_EQ(ctl<QStackedWidget>("PageControl")->currentIndex(), TMain::PageButtons);
    EXPECT_FALSE(Main->buttonsRoot()->isExpanded());
    EXPECT_FALSE(stPult->isHidden());
    EXPECT_EQ(ctl<QLabel>("STPult")->text(), "В конфигурации системы отсутствуют пульты диктора ! ");

    EXPECT_TRUE(select(Main->groupsRoot()));
    EXPECT_FALSE(Main->groupsRoot()->isExpanded());
    EXPECT_FALSE(stPhone->isHidden());

    EXPECT_TRUE(select(Main->systemNode()));
    choose("CBPult", 1);
    EXPECT_TRUE(select(Main->buttonsRoot()));
    EXPECT_TRUE(Main->buttonsRoot()->isExpanded());
    EXPECT_TRUE(stPult->isHidden());

    // An open root stays open when the consoles go.
    EXPECT_TRUE(select(Main->systemNode()));
    choose("CBPult", 0);
    EXPECT_TRUE(Main->buttonsRoot()->isExpanded());
    EXPECT_TRUE(select(Main->buttonNode(5)));

    // An input node opens only while its algorithm is on.
    EXPECT_TRUE(select(Main->inputNode(1)));
    Main->inputNode(1)->setExpanded(true);
    EXPECT_FALSE(Main->inputNode(1)->isExpanded());
}

TEST_F(MainWindow, SelectingPagesNeverWritesTheImage)
{
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>(i * 13 + 5));
    image.setByte(32, 0xB7);
    image.setByte(33, 0xF5);
    for (int i = 1; i <= 24; ++i) {
        image.setByte(Layout::recordOffset(i), 0x80 | 0x1B);
        for (int k = 1; k <= 5; ++k)
            image.setByte(Layout::stageOffset(i, k) + 1, static_cast<uint8_t>(k * 3));
    }
    reloadWith(image);
    Main->setSaved(true);
    std::vector<QTreeWidgetItem*> nodes;
    for (int t = 0; t < tree()->topLevelItemCount(); ++t) {
        QTreeWidgetItem* top = tree()->topLevelItem(t);
        nodes.push_back(top);
        for (int c = 0; c < top->childCount(); ++c) {
            nodes.push_back(top->child(c));
            for (int s = 0; s < top->child(c)->childCount(); ++s)
                nodes.push_back(top->child(c)->child(s));
        }
    }
    for (int pass = 0; pass < 2; ++pass)
        for (QTreeWidgetItem* node : nodes) {
            select(node);
            ASSERT_EQ(Main->image(), image) << node->text(0).toStdString();
            ASSERT_TRUE(Main->saved()) << node->text(0).toStdString();
        }
}

TEST_F(MainWindow, ReloadLeavesOpenOnlyNodesThatMayOpen)
{
    // IN-1 and IN-2 on, both opened with the mouse, the buttons root too.
    TImage both;
    both.setValue(Layout::ConsoleCount.at(Layout::SystemNode), 1);
    for (int i = 1; i <= 2; ++i) {
        TAlarmRecord(both, i).setEnabled(true);
        TAlarmRecord(both, i).stage(1).setDuration(4);
    }
    reloadWith(both);
    ASSERT_TRUE(click(Main->buttonsRoot()));
    ASSERT_TRUE(click(Main->algorithmsRoot()));
    ASSERT_TRUE(click(Main->inputNode(1)));
    ASSERT_TRUE(click(Main->inputNode(2)));
    ASSERT_TRUE(Main->inputNode(2)->isExpanded() && Main->buttonsRoot()->isExpanded());

    // IN-2 off in the new image: its stages are gone from reach.
    TImage first = both;
    TAlarmRecord(first, 2).setEnabled(false);
    first.setValue(Layout::ConsoleCount.at(Layout::SystemNode), 0);
    reloadWith(first);
    Main->setSaved(true);
    EXPECT_TRUE(Main->inputNode(1)->isExpanded());
    EXPECT_FALSE(Main->inputNode(2)->isExpanded());
    EXPECT_FALSE(Main->buttonsRoot()->isExpanded());
    ASSERT_TRUE(click(Main->inputNode(2)));
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    EXPECT_EQ(tree()->currentItem(), Main->inputNode(2));
    EXPECT_FALSE(Main->inputNode(2)->isExpanded());

    // Nothing on: neither input opens, and the keys never reach a stage.
    ASSERT_TRUE(click(Main->inputNode(1)));
    reloadWith(TImage());
    Main->setSaved(true);
    EXPECT_FALSE(Main->inputNode(1)->isExpanded());
    ASSERT_TRUE(click(Main->inputNode(1)));
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Down})
        press(key);
    EXPECT_EQ(tree()->currentItem(), Main->inputNode(1));
    EXPECT_EQ(Main->image(), TImage());
    EXPECT_TRUE(Main->saved());
}

TEST_F(MainWindow, RefusedNodesAndClosedBranchesKeepTheSelectionWhereItBelongs)
{
    TImage image;
    TAlarmRecord(image, 1).setEnabled(true);
    TAlarmRecord(image, 1).stage(1).setDuration(4);
    reloadWith(image);
    ASSERT_TRUE(click(Main->algorithmsRoot()));
    ASSERT_TRUE(click(Main->inputNode(2)));

    // A click or a key onto IN-3, which cannot be reached, leaves both the
    // highlight and the page on IN-2.
    const auto stays = [&](const char* how) {
        EXPECT_EQ(tree()->currentItem(), Main->inputNode(2)) << how;
        EXPECT_EQ(tree()->selectedItems(), QList<QTreeWidgetItem*>{Main->inputNode(2)}) << how;
        EXPECT_EQ(ctl<QLabel>("StaticText8")->text(), "Алгоритмы -> IN-2 ") << how;
    };
    EXPECT_FALSE(click(Main->inputNode(3)));
    stays("click");
    press(Qt::Key_Down);
    stays("key");

    // The first click on the arrow of an open branch closes it, also while
    // one of its children is selected; the selection moves to the branch.
    ASSERT_TRUE(click(Main->inputNode(1)));
    ASSERT_TRUE(click(Main->stageNode(1, 2)));
    clickBranch(Main->inputNode(1));
    EXPECT_FALSE(Main->inputNode(1)->isExpanded());
    EXPECT_EQ(tree()->currentItem(), Main->inputNode(1));
    clickBranch(Main->algorithmsRoot());
    EXPECT_FALSE(Main->algorithmsRoot()->isExpanded());
    EXPECT_EQ(tree()->currentItem(), Main->algorithmsRoot());
}
