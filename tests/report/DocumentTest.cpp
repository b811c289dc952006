// The automation operations on the document model, and the XML they come out as.

#include "tests/report/DocxContent.h"

#include "report/TAutomationError.h"
#include "report/TDocxWriter.h"
#include "report/TWordDocument.h"

#include <gtest/gtest.h>

TEST(WordDocument, TextRunsSplitIntoParagraphsKeepingAlignment)
{
    TWordDocument w;
    w.setFontSize(14);
    w.setBold(true);
    w.setAlignment(TAlign::Centre);
    w.insertAfter("A\n\n");
    w.setFontSize(10);
    w.setBold(false);
    w.setAlignment(TAlign::Left);
    w.insertAfter("x -\tb\n");
    const DocxContent d = DocxContent::parse(QByteArray::fromStdString(TDocxWriter::documentXml(w.document())));
    ASSERT_EQ(d.paragraphs.size(), 4u);
    EXPECT_EQ(d.paragraphs[0].text, "A");
    EXPECT_EQ(d.paragraphs[0].halfPoints, 28);
    EXPECT_EQ(d.paragraphs[1].jc, "center");
    EXPECT_EQ(d.paragraphs[2].text, "x -\tb");
    EXPECT_EQ(d.paragraphs[2].jc, "");
    EXPECT_FALSE(d.paragraphs[2].bold);
    EXPECT_EQ(d.paragraphs[3].text, "");
    EXPECT_EQ(d.order, "pppp");
}

TEST(WordDocument, TableAddedRightBelowATableJoinsIt)
{
    TWordDocument w;
    TWordTable first = w.tablesAdd(2, 3);
    first.cell(2, 3).select();
    w.moveDown(first.rowsCount());
    EXPECT_EQ(w.selectionRow(), 0); // left the table for the paragraph below it
    TWordTable second = w.tablesAdd(2, 3);
    EXPECT_EQ(second.id(), first.id());
    EXPECT_EQ(first.rowsCount(), 4);
    EXPECT_EQ(w.selectionRow(), 3);
    w.moveDown(4);
    w.insertAfter("\n");
    TWordTable apart = w.tablesAdd(1, 1);
    EXPECT_NE(apart.id(), first.id());
    EXPECT_EQ(w.document().blockCount(), 4); // table, paragraph, table, paragraph
}

TEST(WordDocument, CutBandIsPastedAboveTheRowOfTheInsertionPoint)
{
    TWordDocument w;
    TWordTable table = w.tablesAdd(8, 2);
    table.cell(1, 1).merge(table.cell(4, 1));
    table.cell(5, 1).merge(table.cell(8, 1));
    w.moveDown(8);
    w.insertAfter("\n");
    TWordTable band = w.tablesAdd(2, 2);
    band.cell(1, 1).select();
    w.insertAfter("head");
    band.select();
    w.cut();
    EXPECT_THROW(band.rowsCount(), TAutomationError);
    // Up one line from the second merged cell is the first one, whose top is row 1.
    table.cell(5, 1).select();
    w.moveUp(1);
    w.paste();
    EXPECT_EQ(table.rowsCount(), 10);
    EXPECT_EQ(w.document().tableAt(0)->cell(1, 1).paragraphs.front().text(), "head");
    EXPECT_EQ(w.document().tableAt(0)->cell(3, 1).vmerge, TVMerge::Restart);
}

TEST(WordDocument, FailingOperationsThrow)
{
    TWordDocument w;
    TWordTable t = w.tablesAdd(3, 3);
    EXPECT_THROW(t.cell(4, 1), TAutomationError);
    EXPECT_THROW(t.cell(1, 4), TAutomationError);
    t.cell(1, 1).merge(t.cell(2, 1));
    EXPECT_THROW(t.cell(2, 1), TAutomationError); // continuation of a merged cell
    t.cell(3, 1).merge(t.cell(3, 3));
    EXPECT_THROW(t.setColumnWidth(3, 10), TAutomationError); // mixed rows
    EXPECT_THROW(w.cut(), TAutomationError);                 // nothing selected
    EXPECT_THROW(w.paste(), TAutomationError);               // nothing cut
    EXPECT_THROW(w.tablesAdd(0, 1), TAutomationError);
}

TEST(WordDocument, DeletingRowsAndColumns)
{
    TWordDocument w;
    TWordTable t = w.tablesAdd(4, 3);
    for (int r = 1; r <= 4; ++r) {
        t.cell(r, 1).select();
        w.insertAfter(std::to_string(r));
    }
    t.deleteRow(3);
    t.deleteRow(3);
    EXPECT_EQ(t.rowsCount(), 2);
    t.deleteColumn(1);
    EXPECT_EQ(t.columnsCount(), 2);
    EXPECT_EQ(w.document().tableAt(0)->cell(2, 1).paragraphs.front().text(), "");
}

TEST(DocxWriter, EmitsMergesGridShadingBordersAndBreaks)
{
    TWordDocument w;
    w.insertBreak();
    TWordTable t = w.tablesAdd(2, 3);
    t.setColumnsWidth(28);
    t.setColumnWidth(1, 56);
    t.setInsideLineStyle(TLineStyle::Single);
    t.setOutsideLineStyle(TLineStyle::Single);
    t.setRowBottomLineStyle(2, TLineStyle::Double);
    t.setColumnShading(3, 15132390);
    t.cell(1, 1).merge(t.cell(2, 1));
    t.cell(1, 2).merge(t.cell(1, 3));
    const QByteArray xml = QByteArray::fromStdString(TDocxWriter::documentXml(w.document()));
    EXPECT_TRUE(xml.contains("<w:br w:type=\"page\"/>"));
    EXPECT_TRUE(xml.contains(
        "<w:tblGrid><w:gridCol w:w=\"1120\"/><w:gridCol w:w=\"560\"/><w:gridCol w:w=\"560\"/></w:tblGrid>"));
    EXPECT_TRUE(xml.contains("<w:insideH w:val=\"single\""));
    EXPECT_TRUE(xml.contains("<w:tcW w:w=\"1120\" w:type=\"dxa\"/><w:gridSpan w:val=\"2\"/>"));
    EXPECT_TRUE(xml.contains("<w:vMerge w:val=\"restart\"/>"));
    EXPECT_TRUE(xml.contains("<w:vMerge/><w:tcBorders><w:bottom w:val=\"double\""));
    EXPECT_TRUE(xml.contains("<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"E6E6E6\"/>"));
    const DocxContent d = DocxContent::parse(xml);
    EXPECT_EQ(d.order, "ptp");
    EXPECT_EQ(d.tables[0].rows[0].size(), 2u);
    EXPECT_EQ(d.tables[0].rows[1].size(), 3u);
}
