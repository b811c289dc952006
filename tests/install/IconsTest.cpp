// The pictures ship inside the program: every toolbar button, state mark and
// the application icon must actually draw, and no two may look alike.

#include "app/TMain.h"
#include "app/TStateMarks.h"
#include "tests/support/TScriptedDialogs.h"

#include <QApplication>
#include <QImage>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

QImage render(const QIcon& icon, int size, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(QSize(size, size), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Share of the square that the picture covers; a missing resource or a
// missing SVG plugin draws nothing at all.
double coverage(const QImage& image)
{
    if (image.isNull())
        return 0;
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) > 64;
    return double(opaque) / (image.width() * image.height());
}

const char* const ToolButtons[]
    = {"TBNew", "TBOpen", "TBSave", "TBReport", "TBFind", "TBRead", "TBWrite", "TBDebug", "ToolButton1"};

class Icons : public ::testing::Test {
protected:
    void SetUp() override { Main = new TMain; }
    void TearDown() override
    {
        delete Main;
        Main = nullptr;
    }
    TScriptedDialogs dialogs;
};

} // namespace

TEST_F(Icons, EveryToolButtonDrawsItsOwnPictureInBothStates)
{
    std::vector<QImage> seen;
    for (const char* name : ToolButtons) {
        QToolButton* button = Main->findChild<QToolButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        const int size = button->iconSize().width();
        ASSERT_GE(size, 16) << name;
        const QImage normal = render(button->icon(), size);
        EXPECT_EQ(normal.size(), QSize(size, size)) << name;
        EXPECT_GT(coverage(normal), 0.15) << name;
        // Disabled buttons (Save, Report, Read, Write at start) must still show a picture.
        const QImage disabled = render(button->icon(), size, QIcon::Disabled);
        EXPECT_GT(coverage(disabled), 0.15) << name;
        EXPECT_NE(normal, disabled) << name << " looks enabled when disabled";
        for (const QImage& other : seen)
            EXPECT_NE(normal, other) << name << " repeats another button's picture";
        seen.push_back(normal);
    }
}

TEST_F(Icons, StateMarksAreThreeDistinctPicturesAtTreeSize)
{
    const QImage off = render(TStateMarks::icon(TStateMarks::Off), 16);
    const QImage on = render(TStateMarks::icon(TStateMarks::On), 16);
    const QImage unreachable = render(TStateMarks::icon(TStateMarks::Unreachable), 16);
    for (const QImage* mark : {&off, &on, &unreachable}) {
        EXPECT_EQ(mark->size(), QSize(16, 16));
        EXPECT_GT(coverage(*mark), 0.3);
    }
    EXPECT_NE(off, on);
    EXPECT_NE(off, unreachable);
    EXPECT_NE(on, unreachable);

    for (int none : {int(TStateMarks::None), -1, 4, 255})
        EXPECT_TRUE(TStateMarks::icon(none).isNull()) << none;
}

TEST_F(Icons, TreeNodesShowTheMarkTheyCarry)
{
    Main->image() = TImage();
    Main->EditorReload();
    Main->RefreshStates();
    // With an empty image IN-1 is off and IN-2 is out of reach.
    const QTreeWidgetItem* in1 = Main->inputNode(1);
    const QTreeWidgetItem* in2 = Main->inputNode(2);
    ASSERT_EQ(in1->data(0, TMain::MarkRole).toInt(), TStateMarks::Off);
    ASSERT_EQ(in2->data(0, TMain::MarkRole).toInt(), TStateMarks::Unreachable);
    EXPECT_EQ(render(in1->icon(0), 16), render(TStateMarks::icon(TStateMarks::Off), 16));
    EXPECT_EQ(render(in2->icon(0), 16), render(TStateMarks::icon(TStateMarks::Unreachable), 16));
    EXPECT_TRUE(Main->systemNode()->icon(0).isNull());
}

TEST(ApplicationIcon, DrawsFromMenuSizeToLauncherSize)
{
    const QIcon icon(QStringLiteral(":/icons/kt7config.svg"));
    for (int size : {16, 48, 256}) {
        const QImage image = render(icon, size);
        EXPECT_EQ(image.size(), QSize(size, size)) << size;
        EXPECT_GT(coverage(image), 0.8) << size;
    }
}
