// Projects that come from outside the window: a file named on the command
// line, and files dropped on the window.

#include "tests/gui/TMainFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

TImage patterned(int seed)
{
    TImage image;
    for (int i = 0; i < TImage::Size; ++i)
        image.setByte(i, static_cast<uint8_t>((i * 5 + seed) & 0xFF));
    return image;
}

} // namespace

class OpenFromOutside : public TMainFixture {
protected:
    void SetUp() override
    {
        TMainFixture::SetUp();
        ASSERT_TRUE(dir.isValid());
        const TImage image = patterned(4);
        write("site.usr", QByteArray(reinterpret_cast<const char*>(image.bytes().data()), TImage::Size));
        write("site.ini", "[Scenic]\r\nItem0=first\r\nItem23=last\r\n");
        write("notes.txt", "not a project");
        write("two.usr", QByteArray(10, '\x01'));
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void expectSite() const
    {
        EXPECT_EQ(Main->image(), patterned(4));
        EXPECT_EQ(title(), QStringLiteral("Конфигурация - site"));
        EXPECT_EQ(Main->inputNode(1)->text(0), QStringLiteral("IN-1 first"));
        EXPECT_EQ(Main->inputNode(24)->text(0), QStringLiteral("IN-24 last"));
        EXPECT_TRUE(tree()->isVisible());
        EXPECT_EQ(tree()->currentItem(), Main->systemNode());
        EXPECT_TRUE(Main->findChild<QToolButton*>("TBSave")->isEnabled());
    }

    // True when the widget took the drop.
    static bool drop(QWidget* target, const QStringList& files)
    {
        const TUserInput::TDrop result = TUserInput::drop(target, files);
        return result.entered && result.taken;
    }

    QTemporaryDir dir;
};

TEST_F(OpenFromOutside, FileNamedAtStartIsOpenedOrTheReasonIsShown)
{
    Main->OpenAtStart(path("missing.usr"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, TMsgIcon::Error);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("Unable to open " + path("missing.usr") + '\n'))
        << dialogs.messages[0].text.toStdString();
    EXPECT_FALSE(tree()->isVisible());
    EXPECT_EQ(title(), QStringLiteral("Конфигурация"));
    EXPECT_FALSE(Main->findChild<QToolButton*>("TBSave")->isEnabled());
    EXPECT_TRUE(Main->saved());

    dialogs.messages.clear();
    Main->OpenAtStart(path("site.usr"));
    expectSite();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OpenFromOutside, DroppedProjectOpensAfterTheSaveQuestionAndAnythingElseIsRefused)
{
    Main->SetProjectName("kept");
    reloadWith(patterned(9));
    ASSERT_FALSE(Main->saved());
    clickNode(Main->algorithmsRoot());
    clickNode(Main->inputNode(1));
    ASSERT_EQ(tree()->currentItem(), Main->inputNode(1));
    auto* name = ctl<QLineEdit>("EditAName");
    QTest::keyClicks(name, "typed");

    // A folder is no project, whatever its name.
    QDir(dir.path()).mkdir("folder.usr");
    for (const QStringList& files : {QStringList{path("notes.txt")}, QStringList{dir.path()},
                                     QStringList{path("folder.usr")}, QStringList{path("site.usr"), path("two.usr")}}) {
        EXPECT_FALSE(drop(Main, files)) << files.join(' ').toStdString();
        EXPECT_FALSE(drop(name, files)) << files.join(' ').toStdString();
    }
    EXPECT_EQ(Main->image(), patterned(9));
    EXPECT_EQ(title(), QStringLiteral("Конфигурация - kept"));
    EXPECT_EQ(name->text(), QStringLiteral("typed"));
    EXPECT_TRUE(dialogs.messages.empty());

    // Dropped on the name field, the project still goes to the window.
    dialogs.answers = {mbCancel};
    EXPECT_TRUE(drop(name, {path("site.usr")}));
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Хотите сохранить текущий проект конфигурации ?")});
    expectSite();
    EXPECT_EQ(name->text(), QStringLiteral("typed"));
}
