// The configuration check in the window: the real question before a write of
// a configuration with errors, answered by keys and clicks, and the list of
// findings with its way to the tree.

#include "tests/gui/TLinkFixture.h"
#include "tests/support/TUserInput.h"

#include "app/TFormCheck.h"
#include "image/TAlarmRecord.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QTreeWidget>

#include <functional>

namespace {

const QString WriteQuestion
    = QStringLiteral("Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?");

// Every input on, each with a first stage of 15 s that switches K1: 24
// errors, of which the question names 12.
TImage faulty()
{
    TImage image;
    for (int i = 1; i <= Layout::InputCount; ++i) {
        TAlarmRecord record(image, i);
        record.setEnabled(true);
        record.stage(1).setDuration(1);
        record.stage(1).setK1(true);
    }
    return image;
}

class ConfigCheckWindow : public TLinkFixture {
protected:
    // Runs the acts on the message boxes that open one after another (each
    // runs its own event loop) while open() runs.
    using Act = std::function<void(QMessageBox&)>;
    static void answerBoxes(const std::vector<Act>& acts, const std::function<void()>& open)
    {
        size_t done = 0;
        QMessageBox* last = nullptr;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box == last || done == acts.size())
                return;
            last = box;
            acts[done++](*box);
        });
        poll.start(20);
        open();
        EXPECT_EQ(done, acts.size()) << "boxes shown";
    }
    static void answerBox(const Act& act, const std::function<void()>& open) { answerBoxes({act}, open); }
    static QAbstractButton* buttonOf(QMessageBox& box, const QString& text)
    {
        for (QAbstractButton* b : box.buttons())
            if (b->text() == text)
                return b;
        ADD_FAILURE() << "no button " << text.toStdString();
        return nullptr;
    }
    void pressWrite() { QTest::mouseClick(button("TBWrite"), Qt::LeftButton); }
    bool wrote() const { return log().contains(" 0x26 0x44 "); }
};

} // namespace

TEST_F(ConfigCheckWindow, ErrorsAskBeforeTheWriteAndTheListLeadsToTheTree)
{
    const QString dump = m_config.filePath("dump.usr");
    TSimProcess& sim = simulate(1, {"--dump", dump});
    connectTo(1);
    FormPort->show();
    Main->image() = faulty();
    Main->EditorReload();
    for (int i = 1; i <= Layout::InputCount; ++i)
        Main->setInputName(i, QStringLiteral("Зона %1").arg(i));

    // Real boxes from here on: Escape and Enter leave the default, "Отмена".
    TDialogs::install(nullptr);
    QString text;
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        answerBox(
            [&](QMessageBox& box) {
                text = box.text();
                EXPECT_EQ(box.icon(), QMessageBox::Warning);
                QTest::keyClick(&box, key);
            },
            [&] { pressWrite(); });
        EXPECT_EQ(link().linkState(), TControllerLink::Idle);
        EXPECT_FALSE(wrote()) << key;
    }
    const QStringList lines = text.split('\n');
    ASSERT_EQ(lines.size(), 17) << text.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Ошибок в конфигурации: 24"));
    EXPECT_EQ(lines[2],
              QStringLiteral("IN-1, Этап 1: Время работы этапа 00:15, а первый этап работает не менее 00:30"));
    EXPECT_TRUE(lines[13].startsWith(QStringLiteral("IN-12, Этап 1: "))) << lines[13].toStdString();
    EXPECT_EQ(lines[14], QStringLiteral("и ещё 12"));

    // "Показать все" shows every finding and writes nothing.
    answerBox(
        [&](QMessageBox& box) { QTest::mouseClick(buttonOf(box, QStringLiteral("Показать все")), Qt::LeftButton); },
        [&] { pressWrite(); });
    EXPECT_FALSE(wrote());
    TFormCheck* form = Main->formCheck();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    QTreeWidget* list = form->list();
    EXPECT_EQ(list->topLevelItemCount(), 24);
    EXPECT_EQ(form->summary(), QStringLiteral("Ошибок: 24, предупреждений: 0"));

    // A double-click on a finding selects its node, the input opened.
    QTreeWidgetItem* third = list->topLevelItem(2);
    EXPECT_EQ(third->text(1), QStringLiteral("IN-3, Этап 1"));
    TUserInput::doubleClick(list, third);
    QTreeWidget* tree = Main->findChild<QTreeWidget*>("TV");
    EXPECT_EQ(tree->currentItem(), Main->stageNode(3, 1));
    EXPECT_TRUE(Main->inputNode(3)->isExpanded());
    // Keys meant for the list go to the tree, never to the stage's lists.
    EXPECT_EQ(Main->focusWidget(), tree);
    const TImage before = Main->image();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(Main->focusWidget(), Qt::Key_Up);
    EXPECT_EQ(Main->image(), before);

    // The shown list follows every change of the image: one error less.
    Main->image().setByte(Layout::stageOffset(3, 1) + Layout::Stage::Duration, 2);
    Main->ToolButton2Click();
    EXPECT_EQ(list->topLevelItemCount(), 23);
    form->close();
    // F8 shows the list again.
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
    QTest::keyClick(Main, Qt::Key_F8);
    EXPECT_TRUE(form->isVisible());
    // And brings a minimised list back.
    form->showMinimized();
    Main->activateWindow();
    QTest::keyClick(Main, Qt::Key_F8);
    EXPECT_FALSE(form->isMinimized());
    form->close();

    // "Записать" goes on to the write's own question, then writes.
    answerBoxes(
        {[&](QMessageBox& box) { QTest::mouseClick(buttonOf(box, QStringLiteral("Записать")), Qt::LeftButton); },
         [&](QMessageBox& box) {
             EXPECT_EQ(box.text(), WriteQuestion);
             QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
         }},
        [&] { pressWrite(); });
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    EXPECT_TRUE(wrote());

    // Without errors (warnings only: nothing switched) the write asks only its own question.
    TScriptedDialogs scripted;
    Main->image() = TImage();
    TAlarmRecord(Main->image(), 1).setEnabled(true);
    TAlarmRecord(Main->image(), 1).stage(1).setDuration(2);
    button("TBWrite")->click();
    EXPECT_EQ(scripted.texts(), QStringList{WriteQuestion});
    ASSERT_TRUE(waitFor([&] { return transferDone(); }));
    ASSERT_TRUE(sim.finish());
    QFile written(dump);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray(reinterpret_cast<const char*>(Main->image().bytes().data()), TImage::Size));
}
