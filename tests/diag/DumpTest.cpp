#include "diag/TDbg.h"
#include "diag/TDumpModel.h"
#include "image/TImage.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

QString cell(const TDbg& dbg, int row, int column)
{
    const QAbstractItemModel* model = dbg.grid()->model();
    return model->data(model->index(row, column)).toString();
}

QStringList rowCells(const TDbg& dbg, int row)
{
    QStringList cells;
    for (int c = 1; c <= 9; ++c)
        cells << cell(dbg, row, c);
    return cells;
}

} // namespace

TEST(Dump, WindowAndGridFurniture)
{
    TDbg dbg;
    EXPECT_EQ(dbg.objectName(), "Dbg");
    EXPECT_EQ(dbg.windowTitle(), "Dbg");
    EXPECT_EQ(dbg.pos(), QPoint(735, 0));
    EXPECT_EQ(dbg.size(), QSize(288, 593));

    QTableView* sg = dbg.grid();
    ASSERT_EQ(sg, dbg.findChild<QTableView*>("SG"));
    EXPECT_EQ(sg->model()->rowCount(), 2080);
    EXPECT_EQ(sg->model()->columnCount(), 10);
    EXPECT_EQ(sg->verticalHeader()->width(), 30);
    EXPECT_EQ(sg->horizontalHeader()->height(), 16);
    for (int c = 1; c <= 8; ++c)
        EXPECT_EQ(sg->columnWidth(c), 24) << c;
    EXPECT_EQ(sg->columnWidth(9), 28);
    EXPECT_EQ(sg->rowHeight(1), 16);
    EXPECT_EQ(sg->rowHeight(2079), 16);
    EXPECT_EQ(sg->font().pixelSize(), 5);
    EXPECT_EQ(sg->horizontalHeader()->font().pixelSize(), 5);
    EXPECT_EQ(sg->verticalHeader()->font().pixelSize(), 5);
}

TEST(Dump, HeadingsAndAddresses)
{
    TDbg dbg;
    EXPECT_EQ(rowCells(dbg, 0), QStringList({"7", "6", "5", "4", "3", "2", "1", "0", ""}));
    EXPECT_EQ(cell(dbg, 0, 0), "");
    EXPECT_EQ(cell(dbg, 1, 0), "0000");
    EXPECT_EQ(cell(dbg, 33, 0), "0020");
    EXPECT_EQ(cell(dbg, 2048, 0), "07FF");
    EXPECT_EQ(cell(dbg, 2079, 0), "081E");

    // The fixed texts are also what the header views show.
    const QAbstractItemModel* model = dbg.grid()->model();
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "7");
    EXPECT_EQ(model->headerData(8, Qt::Horizontal).toString(), "0");
    EXPECT_EQ(model->headerData(2079, Qt::Vertical).toString(), "081E");
}

TEST(Dump, OpensAtOffset20AndShowingDoesNotRefresh)
{
    TDbg dbg;
    dbg.show();
    EXPECT_EQ(dbg.grid()->rowAt(0), 33);
    EXPECT_EQ(rowCells(dbg, 6), QStringList(9, QString()));

    // Scrolled away and shown again: the row the user left stays on top.
    dbg.grid()->verticalScrollBar()->setValue(dbg.grid()->verticalScrollBar()->maximum());
    const int top = dbg.grid()->rowAt(0);
    dbg.hide();
    dbg.show();
    EXPECT_EQ(dbg.grid()->rowAt(0), top);
}

TEST(Dump, RefreshShowsBitsMostSignificantFirst)
{
    TImage image;
    image.setByte(5, 0x21);
    image.setByte(2047, 0xFE);
    TDbg dbg;
    dbg.show();
    dbg.Refresh(image);
    EXPECT_EQ(rowCells(dbg, 6), QStringList({"0", "0", "1", "0", "0", "0", "0", "1", "0x21"}));
    EXPECT_EQ(rowCells(dbg, 1), QStringList({"0", "0", "0", "0", "0", "0", "0", "0", "0x00"}));
    EXPECT_EQ(rowCells(dbg, 2048), QStringList({"1", "1", "1", "1", "1", "1", "1", "0", "0xFE"}));
    // Rows past the image stay empty.
    EXPECT_EQ(rowCells(dbg, 2049), QStringList(9, QString()));
    EXPECT_EQ(rowCells(dbg, 2079), QStringList(9, QString()));
}

TEST(Dump, RefreshOnlyWhileShown)
{
    TImage image;
    image.setByte(5, 0x21);
    TDbg dbg;
    dbg.Refresh(image);
    EXPECT_EQ(cell(dbg, 6, 9), "");

    dbg.show();
    EXPECT_EQ(cell(dbg, 6, 9), "");
    dbg.Refresh(image);
    EXPECT_EQ(cell(dbg, 6, 9), "0x21");

    dbg.close();
    image.setByte(5, 0x80);
    dbg.Refresh(image);
    dbg.show();
    EXPECT_EQ(cell(dbg, 6, 9), "0x21");
    EXPECT_EQ(cell(dbg, 6, 1), "0");

    dbg.Refresh(image);
    EXPECT_EQ(cell(dbg, 6, 9), "0x80");
    EXPECT_EQ(cell(dbg, 6, 1), "1");
}

// The view repaints from dataChanged; a refresh must announce exactly the rows that changed.
TEST(Dump, RefreshAnnouncesChangedRows)
{
    TDumpModel model;
    QList<std::pair<int, int>> changes;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&](const QModelIndex& from, const QModelIndex& to) {
        EXPECT_EQ(from.column(), 1);
        EXPECT_EQ(to.column(), 9);
        changes.append({from.row(), to.row()});
    });
    TImage image;
    model.setImage(image);
    model.setImage(image);
    image.setByte(5, 0x21);
    image.setByte(40, 0x01);
    model.setImage(image);
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[0], std::make_pair(1, 2048));
    EXPECT_EQ(changes[1], std::make_pair(6, 41));
}

// What the user sees, not only the model: the visible rows are painted with the new bits.
TEST(Dump, RefreshRepaintsTheVisibleRows)
{
    TDbg dbg;
    dbg.show();
    QWidget* cells = dbg.grid()->viewport();
    const QImage empty = cells->grab().toImage();

    TImage zeros;
    dbg.Refresh(zeros);
    QCoreApplication::processEvents();
    const QImage zeroBits = cells->grab().toImage();
    EXPECT_NE(zeroBits, empty);

    TImage image;
    image.setByte(0x20, 0xFF);
    dbg.Refresh(image);
    QCoreApplication::processEvents();
    const QImage oneBits = cells->grab().toImage();
    EXPECT_NE(oneBits, zeroBits);

    // Back to the same bytes gives the same picture, so the cells hold no stale text.
    dbg.Refresh(zeros);
    QCoreApplication::processEvents();
    EXPECT_EQ(cells->grab().toImage(), zeroBits);
}
