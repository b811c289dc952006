// Undo and redo on the main window, through the keys a user presses and the
// clicks that make the changes.

#include "tests/gui/TMainFixture.h"

#include "app/TFormSiteNames.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <random>
#include <utility>

namespace {
// Types text as a keyboard with its layout gives it: each character a key
// press of its own carrying the character.
void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Names of the 24 inputs as the captions hold them.
QStringList names()
{
    QStringList out;
    for (int i = 1; i <= 24; ++i)
        out << Main->inputName(i);
    return out;
}
} // namespace

class Undo : public TMainFixture {
protected:
    void SetUp() override
    {
        TMainFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        Main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    }

    // A click on a button or a box; a check box takes it on its indicator.
    void click(QWidget* widget) const
    {
        const QPoint at = qobject_cast<QCheckBox*>(widget) ? QPoint(widget->height() / 2, widget->height() / 2)
                                                           : widget->rect().center();
        ASSERT_TRUE(widget->isVisible() && widget->isEnabled()) << widget->objectName().toStdString();
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
        settle();
    }
    // The event loop turns between two user actions.
    static void settle() { QCoreApplication::processEvents(); }
    static void keys(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(Main, key, modifiers);
        settle();
    }
    static void undo() { keys(Qt::Key_Z, Qt::ControlModifier); }
    // Whether the undo and redo actions are usable.
    static std::pair<bool, bool> usable()
    {
        return {Main->findChild<QAction*>("ActionUndo")->isEnabled(),
                Main->findChild<QAction*>("ActionRedo")->isEnabled()};
    }

    QTemporaryDir dir;
};

TEST_F(Undo, EditsAndNamesGoBackAndComeAgainAndTheSavedFlagFollowsTheSavedProject)
{
    dialogs.modals.push_back([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("ProjectName")->setText("site");
        return QDialog::Accepted;
    });
    ctl<QToolButton>("TBNew")->click();
    dialogs.savePaths.push_back(dir.filePath("site.usr"));
    ctl<QToolButton>("TBSave")->click();
    ASSERT_TRUE(Main->saved());
    const TImage saved = Main->image();
    EXPECT_EQ(usable(), std::make_pair(false, false));

    clickNode(Main->settingsNode());
    ASSERT_EQ(tree()->currentItem(), Main->settingsNode());
    click(ctl<QCheckBox>("CBPhone"));
    click(ctl<QCheckBox>("CBMusic"));
    click(box(49));
    ASSERT_EQ(Main->image().byte(32), saved.byte(32) | 0x03);
    ASSERT_EQ(Main->image().byte(34), 0x80);
    const TImage edited = Main->image();
    EXPECT_EQ(usable(), std::make_pair(true, false));

    undo();
    EXPECT_EQ(usable(), std::make_pair(true, true));
    EXPECT_EQ(Main->image().byte(34), 0x00);
    EXPECT_EQ(Main->image().byte(32), saved.byte(32) | 0x03);
    EXPECT_FALSE(box(49)->isChecked());
    EXPECT_EQ(tree()->currentItem(), Main->settingsNode());
    EXPECT_FALSE(Main->saved());
    undo();
    undo();
    EXPECT_EQ(Main->image(), saved);
    EXPECT_FALSE(ctl<QCheckBox>("CBPhone")->isChecked());
    EXPECT_TRUE(Main->saved()) << "back at the saved project";
    undo(); // the history starts at New
    EXPECT_EQ(Main->image(), saved);
    EXPECT_EQ(usable(), std::make_pair(false, true));

    keys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Main->image().byte(32), saved.byte(32) | 0x02);
    EXPECT_FALSE(Main->saved());
    keys(Qt::Key_Y, Qt::ControlModifier);
    keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Main->image(), edited);
    EXPECT_EQ(usable(), std::make_pair(true, false));
    EXPECT_TRUE(box(49)->isChecked());
    keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Main->image(), edited);

    // A name, and an algorithm switched on whose stage is then selected.
    clickNode(Main->algorithmsRoot());
    clickNode(Main->inputNode(1));
    auto* name = ctl<QLineEdit>("EditAName");
    click(name);
    QTest::keyClicks(name, QStringLiteral("Fire hall"));
    click(ctl<QPushButton>("Button6"));
    ASSERT_EQ(Main->inputNode(1)->text(0), QStringLiteral("IN-1 Fire hall"));
    click(ctl<QCheckBox>("CBIntState"));
    clickNode(Main->stageNode(1, 1));
    ASSERT_EQ(tree()->currentItem(), Main->stageNode(1, 1));
    const TImage enabled = Main->image();

    // The stage cannot be reached once the algorithm is off again.
    undo();
    EXPECT_EQ(Main->image(), edited);
    EXPECT_EQ(tree()->currentItem(), Main->systemNode());
    EXPECT_FALSE(Main->inputNode(1)->isExpanded());
    EXPECT_EQ(names()[0], QStringLiteral("Fire hall"));
    clickNode(Main->inputNode(1));
    undo();
    EXPECT_EQ(names(), QStringList(24));
    EXPECT_EQ(tree()->currentItem(), Main->inputNode(1));
    EXPECT_TRUE(name->text().isEmpty());
    keys(Qt::Key_Y, Qt::ControlModifier);
    keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Main->image(), enabled);
    EXPECT_EQ(names()[0], QStringLiteral("Fire hall"));
    EXPECT_FALSE(Main->saved());

    // A new change after undo drops what could have been redone.
    undo();
    click(ctl<QCheckBox>("CBIntState"));
    keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Main->image(), enabled);
    EXPECT_EQ(Main->history().redoCount(), 0u);
}

// Three orders of keys and clicks the history must follow: a new project
// forgets what was saved before it, a change after undo replaces the steps
// ahead, and a change not yet taken when Ctrl+Z comes is the step undone.
TEST_F(Undo, NewProjectsAChangeAfterUndoAndCtrlZRightAfterAChange)
{
    // A new project saved, then New with the same name gives the same
    // project again; a change undone after that New leaves it unsaved.
    for (int round = 0; round < 2; ++round)
        dialogs.modals.push_back([](QDialog& dialog) {
            dialog.findChild<QLineEdit*>("ProjectName")->setText("fresh");
            return QDialog::Accepted;
        });
    click(ctl<QToolButton>("TBNew"));
    dialogs.savePaths = {dir.filePath("fresh.usr")};
    click(ctl<QToolButton>("TBSave"));
    ASSERT_TRUE(Main->saved());
    click(ctl<QToolButton>("TBNew"));
    ASSERT_TRUE(dialogs.messages.empty());
    const TImage fresh = Main->image();
    clickNode(Main->settingsNode());
    // The project's first change and Ctrl+Z at once: the change is undone.
    QCheckBox* phone = ctl<QCheckBox>("CBPhone");
    QTest::mouseClick(phone, Qt::LeftButton, {}, QPoint(phone->height() / 2, phone->height() / 2));
    undo();
    ASSERT_EQ(Main->image(), fresh);
    EXPECT_FALSE(Main->saved());
    dialogs.answers = {mbCancel};
    EXPECT_FALSE(Main->close());
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Хотите сохранить текущий проект конфигурации ?")});

    // Changes A and B, undo, change C (B made again): two undos lead back
    // past A.
    click(ctl<QCheckBox>("CBPhone"));
    const TImage a = Main->image();
    click(ctl<QCheckBox>("CBMusic"));
    undo();
    ASSERT_EQ(Main->image(), a);
    click(ctl<QCheckBox>("CBMusic"));
    const TImage c = Main->image();
    keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Main->image(), c);
    undo();
    EXPECT_EQ(Main->image(), a);
    undo();
    EXPECT_EQ(Main->image(), fresh);

    // A click and Ctrl+Z with no turn of the event loop between: the click
    // is undone, and only the click.
    click(ctl<QCheckBox>("CBPhone"));
    ASSERT_EQ(Main->image(), a);
    QCheckBox* music = ctl<QCheckBox>("CBMusic");
    QTest::mouseClick(music, Qt::LeftButton, {}, QPoint(music->height() / 2, music->height() / 2));
    ASSERT_NE(Main->image(), a);
    QTest::keyClick(Main, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Main->image(), a);
    EXPECT_TRUE(ctl<QCheckBox>("CBPhone")->isChecked());
}

// The site's names, typed in their window: each taken change is a step of
// the project's history, saved in the names file (Ctrl+S there as in the
// main window) and opened with the project again. Showing the window again
// changes nothing of the project.
TEST_F(Undo, SiteNamesTypedInTheirWindowAreUndoneSavedAndOpenedAgain)
{
    dialogs.modals.push_back([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("ProjectName")->setText("site");
        return QDialog::Accepted;
    });
    click(ctl<QToolButton>("TBNew"));
    const size_t steps = Main->history().undoCount();
    const bool saved = Main->saved();
    keys(Qt::Key_I, Qt::ControlModifier);
    TFormSiteNames* form = Main->formSiteNames();
    ASSERT_TRUE(form->isVisible());
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_EQ(Main->history().undoCount(), steps);
    EXPECT_EQ(Main->saved(), saved);

    // One splitter and no message module: the rows of the rest are grey.
    QTableWidget* table = form->TableNames;
    const auto grey = [form](QTableWidget* t, int row) {
        return t->item(row, 0)->foreground().color() == form->palette().color(QPalette::Disabled, QPalette::Text);
    };
    EXPECT_FALSE(grey(table, Layout::outputBit(1, 4)));
    EXPECT_TRUE(grey(table, Layout::outputBit(2, 1)));
    EXPECT_TRUE(grey(table, Layout::outputBit(12, 4)));
    EXPECT_FALSE(grey(form->TableMessages, 7));
    EXPECT_TRUE(grey(form->TableMessages, 8));

    click(form->EditObject);
    type(form->EditObject, QStringLiteral("Гостиница"));
    QTest::keyClick(form->EditObject, Qt::Key_Return);
    settle();
    // A name typed into its table's cell after a double-click.
    const auto typeIn = [](QTableWidget* t, int row, const QString& text) {
        t->scrollToItem(t->item(row, 1));
        const QPoint cell = t->visualItemRect(t->item(row, 1)).center();
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, cell);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_TRUE(qobject_cast<QLineEdit*>(editor));
        type(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
    };
    // Splitter 2's OUT3.
    const int row = Layout::outputBit(2, 3);
    EXPECT_EQ(table->item(row, 0)->text(), QStringLiteral("Zarna KT7-LB №2 OUT3"));
    typeIn(table, row, QStringLiteral("2 этаж, коридор"));
    TSiteNames expected;
    expected.object = "Гостиница";
    expected.zones[static_cast<size_t>(row)] = "2 этаж, коридор";
    EXPECT_EQ(Main->project().siteNames(), expected);
    EXPECT_FALSE(Main->saved());

    // Ctrl+Z in the names' window undoes one change at a time; Ctrl+Y brings it back.
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(Main->project().siteNames().zone(2, 3), "");
    EXPECT_TRUE(table->item(row, 1)->text().isEmpty());
    EXPECT_EQ(form->EditObject->text(), QStringLiteral("Гостиница"));
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_EQ(Main->project().siteNames(), TSiteNames{});
    EXPECT_TRUE(form->EditObject->text().isEmpty());
    QTest::keyClick(table, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(table, Qt::Key_Y, Qt::ControlModifier);
    settle();
    EXPECT_EQ(Main->project().siteNames(), expected);
    EXPECT_EQ(table->item(row, 1)->text(), QStringLiteral("2 этаж, коридор"));

    // What triggers IN-3, the panel's message 2 and the design's code, each
    // on its tab.
    QTabBar* tabs = form->TabsNames->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    EXPECT_EQ(form->TableCauses->item(2, 0)->text(), "IN-3");
    typeIn(form->TableCauses, 2, QStringLiteral("ППК, выход 3; лист ОП-2"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    EXPECT_EQ(form->TableMessages->item(1, 0)->text(), QStringLiteral("Панель, сообщение 2"));
    typeIn(form->TableMessages, 1, QStringLiteral("Эвакуация"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center());
    auto* designCode = form->findChild<QLineEdit*>("EditDesignCode");
    click(designCode);
    type(designCode, QStringLiteral("1234-СОУЭ"));
    QTest::keyClick(designCode, Qt::Key_Return);
    settle();
    expected.causes[2] = "ППК, выход 3; лист ОП-2";
    expected.messages[1] = "Эвакуация";
    expected.designCode = "1234-СОУЭ";
    EXPECT_EQ(Main->project().siteNames(), expected);
    QTest::keyClick(designCode, Qt::Key_Z, Qt::ControlModifier);
    settle();
    EXPECT_TRUE(designCode->text().isEmpty());
    QTest::keyClick(designCode, Qt::Key_Y, Qt::ControlModifier);
    settle();

    dialogs.savePaths.push_back(dir.filePath("site.usr"));
    QTest::keyClick(designCode, Qt::Key_S, Qt::ControlModifier);
    settle();
    ASSERT_TRUE(Main->saved());
    EXPECT_TRUE(dialogs.texts().isEmpty()) << "saved without a question";
    QFile ini(dir.filePath("site.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.startsWith("[Scenic]\r\n"));
    EXPECT_TRUE(
        text.endsWith("\r\n\r\n[Site]\r\nObject=\xC3\xEE\xF1\xF2\xE8\xED\xE8\xF6\xE0\r\n"
                      "DesignCode=1234-\xD1\xCE\xD3\xDD\r\n\r\n[Zones]\r\n"
                      "LB2.OUT3=2 \xFD\xF2\xE0\xE6, \xEA\xEE\xF0\xE8\xE4\xEE\xF0\r\n"
                      "\r\n[Causes]\r\nIN-3=\xCF\xCF\xCA, \xE2\xFB\xF5\xEE\xE4 3; \xEB\xE8\xF1\xF2 \xCE\xCF-2\r\n"
                      "\r\n[Messages]\r\nCU.M2=\xDD\xE2\xE0\xEA\xF3\xE0\xF6\xE8\xFF\r\n"))
        << text.toStdString();
    const size_t savedSteps = Main->history().undoCount();
    keys(Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(Main->saved()) << "shown again, nothing changed";
    EXPECT_EQ(Main->history().undoCount(), savedSteps);

    // New forgets the names; Open brings them back.
    dialogs.modals.push_back([](QDialog&) { return QDialog::Accepted; });
    click(ctl<QToolButton>("TBNew"));
    EXPECT_EQ(Main->project().siteNames(), TSiteNames{});
    EXPECT_TRUE(form->EditObject->text().isEmpty());
    dialogs.answers = {mbCancel}; // not saved
    dialogs.openPaths.push_back(dir.filePath("site.usr"));
    click(ctl<QToolButton>("TBOpen"));
    EXPECT_EQ(Main->project().siteNames(), expected);
    EXPECT_EQ(table->item(row, 1)->text(), QStringLiteral("2 этаж, коридор"));
    EXPECT_EQ(form->TableCauses->item(2, 1)->text(), QStringLiteral("ППК, выход 3; лист ОП-2"));
}

// The history on its own: whatever bytes and names a step changes, going
// back and forth gives every state exactly, as far back as it keeps steps.
TEST(EditHistory, EveryKeptStateComesBackExactly)
{
    std::mt19937 random(18);
    TEditState state;
    TEditHistory history(state);
    std::vector<TEditState> states{state};
    for (int n = 0; n < 300; ++n) {
        // Scattered bytes, some next to each other, some a few apart.
        const int changes = 1 + static_cast<int>(random() % 12);
        for (int c = 0; c < changes; ++c) {
            const size_t at = random() % TImage::Size;
            for (size_t k = at; k < std::min<size_t>(at + random() % 9, TImage::Size); k += 1 + random() % 3)
                state.bytes[k] = static_cast<uint8_t>(random());
        }
        if (n % 7 == 0)
            state.names[random() % 24] = "name " + std::to_string(n) + std::string(n % 40, 'x');
        if (n % 5 == 0)
            state.site.field(static_cast<int>(random() % TSiteNames::FieldCount)) = "zone " + std::to_string(n);
        ASSERT_TRUE(history.record(state) || state == states.back());
        if (!(state == states.back()))
            states.push_back(state);
    }
    EXPECT_FALSE(history.record(state));
    const size_t kept = TEditHistory::Capacity;
    ASSERT_GE(kept, 200u);
    ASSERT_EQ(history.undoCount(), kept);

    for (size_t k = 1; k <= kept; ++k) {
        ASSERT_TRUE(history.undo());
        ASSERT_TRUE(history.state() == states[states.size() - 1 - k]) << k;
    }
    EXPECT_FALSE(history.undo());
    history.markSaved();
    for (size_t k = kept; k > 0; --k) {
        ASSERT_TRUE(history.redo());
        ASSERT_TRUE(history.state() == states[states.size() - k]) << k;
        EXPECT_FALSE(history.atSaved());
    }
    EXPECT_FALSE(history.redo());
    EXPECT_LT(history.memoryUse(), 200u * 1024);

    // A change made after going back replaces the steps ahead.
    history.undo();
    history.undo();
    state = history.state();
    state.bytes[0] ^= 1;
    ASSERT_TRUE(history.record(state));
    EXPECT_EQ(history.redoCount(), 0u);
    ASSERT_TRUE(history.undo());
    EXPECT_TRUE(history.state() == states[states.size() - 3]);
}
