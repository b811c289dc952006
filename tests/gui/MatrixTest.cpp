// The cause-and-effect matrix window and the timeline of the input page,
// driven with the mouse and the keyboard: cells and bars select their
// stages, edits on the pages show at once, and the saved CSV and picture
// hold what the window shows.

#include "tests/gui/TMainFixture.h"

#include "app/TCauseMatrixModel.h"
#include "app/TFormMatrix.h"
#include "app/TTimelineView.h"
#include "image/TAlarmRecord.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QStaticText>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolTip>
#include <QXmlStreamReader>

namespace {
// Two splitters, a console, one relay module. IN-1: delay 00:30, stage 1
// (60 s) on LB1 OUT1, LB2 OUT3 and K1, stage 2 (unlimited) on LB1 OUT1 and
// relay 1.2, stage 4 switched on beyond the break. IN-2 switches nothing.
// Button 1 switches LB1 OUT2.
TImage planted()
{
    TImage image;
    image.setByte(Layout::CompositionByte, 0x14); // 2 splitters, 1 console
    image.setByte(Layout::ModuleByte, 0x08);      // 1 relay module
    TAlarmRecord in1(image, 1);
    in1.setEnabled(true);
    in1.setDelayCode(2);
    TStageRecord s1 = in1.stage(1);
    s1.setDuration(4);
    s1.setOutputBit(Layout::outputBit(1, 1), true);
    s1.setOutputBit(Layout::outputBit(2, 3), true);
    s1.setK1(true);
    TStageRecord s2 = in1.stage(2);
    s2.setDuration(255);
    s2.setMessageCode(9);
    s2.setOutputBit(Layout::outputBit(1, 1), true);
    s2.setRelayBit(Layout::relayBit(1, 2), true);
    in1.stage(4).setDuration(8);
    TAlarmRecord in2(image, 2);
    in2.setEnabled(true);
    in2.stage(1).setDuration(2);
    image.setBit(Layout::buttonOffset(1), Layout::outputBit(1, 2), true);
    return image;
}

// Columns: LB1 OUT1..OUT4, LB2 OUT1..OUT4, the relays of relay module 1, K1, K2.
constexpr int Lb1Out1 = 0;
constexpr int Lb1Out2 = 1;
constexpr int Lb2Out3 = 6;
constexpr int Relay12 = 9;
constexpr int K1 = 12;

// A CSV of one table as a spreadsheet reads it: fields split at ";",
// quoted fields with doubled quotes, rows at CR LF.
std::vector<QStringList> readCsv(const QByteArray& bytes)
{
    std::vector<QStringList> rows;
    const QString text = QString::fromUtf8(bytes);
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            row << field;
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

// Whether text, drawn in font on background as a cell draws it, stands whole in a picture:
// its dark pixels, matched exactly anywhere. A text cut short or drawn over
// is not found.
bool pictureHolds(const QImage& picture, const QString& text, const QFont& font, const QColor& background)
{
    QStaticText laidOut(text);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.prepare(QTransform(), font);
    QImage drawn(laidOut.size().toSize() + QSize(4, 4), QImage::Format_RGB32);
    drawn.fill(background);
    {
        QPainter painter(&drawn);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawStaticText(QPointF(2, 2), laidOut);
    }
    const auto dark = [](const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    QRect ink;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (dark(drawn, x, y))
                ink |= QRect(x, y, 1, 1);
    const QImage shown = picture.convertToFormat(QImage::Format_RGB32);
    for (int top = 0; top + ink.height() <= shown.height(); ++top)
        for (int left = 0; left + ink.width() <= shown.width(); ++left) {
            bool same = true;
            for (int y = 0; y < ink.height() && same; ++y)
                for (int x = 0; x < ink.width() && same; ++x)
                    same = dark(drawn, ink.x() + x, ink.y() + y) == dark(shown, left + x, top + y);
            if (same)
                return true;
        }
    return false;
}

// The tspans of each label of an SVG document, and its whole text.
std::vector<QStringList> svgLabels(const QByteArray& svg, QString* error)
{
    std::vector<QStringList> labels;
    QXmlStreamReader xml(svg);
    bool inLabel = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.name() == QStringLiteral("text")) {
            inLabel = xml.attributes().value("class") == QStringLiteral("label");
            if (inLabel)
                labels.emplace_back();
        } else if (token == QXmlStreamReader::StartElement && xml.name() == QStringLiteral("tspan") && inLabel) {
            labels.back() << xml.readElementText();
        }
    }
    *error = xml.hasError() ? xml.errorString() : QString();
    return labels;
}
} // namespace

class MatrixWindow : public TMainFixture {
protected:
    void SetUp() override
    {
        TMainFixture::SetUp();
        reloadWith(planted());
        Main->setInputName(1, "Пожар; \"1\"");
        Main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Main));
        QTest::keyClick(Main, Qt::Key_M, Qt::ControlModifier);
        form = Main->findChild<TFormMatrix*>("FormMatrix");
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(form->isVisible());
        grid = form->findChild<QTableView*>("GridMatrix");
        ASSERT_NE(grid, nullptr);
    }
    QString cell(int row, int column) const { return grid->model()->index(row, column).data().toString(); }
    QString head(int column) const { return grid->model()->headerData(column, Qt::Horizontal).toString(); }
    void doubleClick(QTableView* table, int row, int column) const
    {
        const QModelIndex index = table->model()->index(row, column);
        table->scrollTo(index);
        const QPoint at = table->visualRect(index).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }
    QTreeWidgetItem* current() const { return tree()->currentItem(); }

    TFormMatrix* form = nullptr;
    QTableView* grid = nullptr;
};

TEST_F(MatrixWindow, CellsShowRunningStagesAndMarkWhatNoAlarmUses)
{
    ASSERT_EQ(grid->model()->rowCount(), 2);
    ASSERT_EQ(grid->model()->columnCount(), 14);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Vertical).toString(), "IN-1 Пожар; \"1\"");
    // The relays named as the report names them, on a few short lines.
    EXPECT_EQ(head(Lb2Out3), "LB2\nOUT3");
    EXPECT_EQ(head(Relay12), "Релейный\nмодуль\n№1 K2");
    EXPECT_EQ(head(K1), "Реле в\nKT7-CU\nK1");
    EXPECT_EQ(cell(0, Lb1Out1), "1, 2");
    EXPECT_EQ(cell(0, Lb2Out3), "1");
    EXPECT_EQ(cell(0, Relay12), "2");
    EXPECT_EQ(cell(0, K1), "1");
    // Stage 4 lies beyond the unlimited stage 2: it never runs.
    for (int c = 0; c < 14; ++c)
        EXPECT_FALSE(cell(0, c).contains('4')) << c;
    const QString tip = grid->model()->index(0, Lb1Out1).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains("Этап 1: 00:30–01:30, Панель, сообщение 1")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("Этап 2: с 01:30, неограниченно, MS3-1, сообщение 2")) << tip.toStdString();
    EXPECT_TRUE(grid->model()->headerData(Lb1Out2, Qt::Horizontal, Qt::ToolTipRole).toString().contains("ни один"));
    EXPECT_FALSE(grid->model()->headerData(Lb1Out1, Qt::Horizontal, Qt::ToolTipRole).toString().contains("ни один"));
    EXPECT_TRUE(grid->model()->headerData(1, Qt::Vertical, Qt::ToolTipRole).toString().contains("ничего не включает"));
    EXPECT_FALSE(grid->model()->headerData(0, Qt::Vertical, Qt::ToolTipRole).toString().contains("ничего"));
    // Exactly the algorithm that switches nothing is marked: its head and
    // its cells under a column some alarm uses.
    for (int r = 0; r < 2; ++r) {
        EXPECT_EQ(grid->model()->headerData(r, Qt::Vertical, Qt::ForegroundRole).isValid(), r == 1) << r;
        EXPECT_EQ(grid->model()->index(r, Lb1Out1).data(Qt::BackgroundRole).value<QBrush>().color()
                      == TCauseMatrixModel::Unused,
                  r == 1)
            << r;
    }
    // Every column as wide as its head and its cells.
    for (int c = 0; c < 14; ++c)
        EXPECT_GE(grid->horizontalHeader()->sectionSize(c), grid->horizontalHeader()->sectionSizeHint(c)) << c;
}

TEST_F(MatrixWindow, DoubleClickAndEnterSelectTheStageAndTheRowHeadTheInput)
{
    doubleClick(grid, 0, Lb2Out3);
    EXPECT_EQ(current(), Main->stageNode(1, 1));
    // The first stage of "1, 2".
    doubleClick(grid, 0, Lb1Out1);
    EXPECT_EQ(current(), Main->stageNode(1, 1));

    grid->activateWindow();
    grid->setFocus();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(0, Relay12)).center());
    QTest::keyClick(grid->viewport(), Qt::Key_Return);
    EXPECT_EQ(current(), Main->stageNode(1, 2));

    QHeaderView* rows = grid->verticalHeader();
    const QPoint at(rows->width() / 2, rows->sectionViewportPosition(1) + rows->sectionSize(1) / 2);
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(current(), Main->inputNode(2));

    auto* zones = form->findChild<QTableView*>("GridZones");
    ASSERT_NE(zones, nullptr);
    auto* tabs = form->findChild<QTabWidget*>("TabsMatrix");
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
    ASSERT_TRUE(zones->isVisible());
    EXPECT_EQ(zones->model()->index(0, Lb1Out2).data().toString(), "X");
    EXPECT_EQ(zones->model()->headerData(0, Qt::Vertical).toString(), "Кнопка 1");
    doubleClick(zones, 0, Lb1Out2);
    EXPECT_EQ(current(), Main->buttonNode(1));
}

TEST_F(MatrixWindow, EditsShowInTheMatrixAndTheTimelineAtOnce)
{
    // An output ticked on the stage page of IN-2.
    ASSERT_TRUE(click(Main->inputNode(2)));
    clickBranch(Main->inputNode(2));
    ASSERT_TRUE(click(Main->stageNode(2, 1)));
    QTest::mouseClick(box(97 + Layout::outputBit(2, 3)), Qt::LeftButton);
    EXPECT_EQ(cell(1, Lb2Out3), "1");
    EXPECT_FALSE(grid->model()->headerData(1, Qt::Vertical, Qt::ToolTipRole).toString().contains("ничего"));

    // A name given to the zone shows under its head, in its tool tips and
    // in the timeline's tool tip of the stage that switches it.
    // So too what triggers the input, under its head and in its tool tip and
    // the timeline's delay, and the name of the message in the tool tips of
    // the cell and the stage.
    TSiteNames site;
    site.zones[static_cast<size_t>(Layout::outputBit(2, 3))] = "Холл";
    site.causes[1] = "ЗКПС 1 этаж";
    TImage image = Main->image();
    const int code = TAlarmRecord(image, 2).stage(1).messageCode();
    site.messages[static_cast<size_t>(code)] = "Эвакуация";
    Main->project().setSiteNames(site);
    EXPECT_EQ(head(Lb2Out3), "LB2\nOUT3\nХолл");
    EXPECT_EQ(grid->model()->headerData(Lb2Out3, Qt::Horizontal, Qt::ToolTipRole).toString(), "LB2 OUT3 (Холл)");
    const QString cellTip = grid->model()->index(1, Lb2Out3).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(cellTip.contains("→ LB2 OUT3 (Холл)\n")) << cellTip.toStdString();
    EXPECT_TRUE(cellTip.endsWith(QStringLiteral(", сообщение %1 (Эвакуация)").arg(code % 8 + 1)))
        << cellTip.toStdString();
    EXPECT_TRUE(grid->model()->headerData(1, Qt::Vertical).toString().endsWith(QStringLiteral("\nЗКПС 1 этаж")));
    EXPECT_FALSE(grid->model()->headerData(0, Qt::Vertical).toString().contains('\n'));
    EXPECT_TRUE(grid->model()
                    ->headerData(1, Qt::Vertical, Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("\nИсточник сигнала: ЗКПС 1 этаж")));
    ASSERT_TRUE(click(Main->inputNode(2)));
    auto* drawn = ctl<TTimelineView>("Timeline");
    const auto tipAt = [drawn](const TTimelineLayout::Bar& bar) {
        const QPoint at(static_cast<int>(bar.x + 2), static_cast<int>(bar.y + 2));
        QHelpEvent help(QEvent::ToolTip, at, drawn->mapToGlobal(at));
        QCoreApplication::sendEvent(drawn, &help);
        return QToolTip::text().split('\n');
    };
    const QStringList stageTip = tipAt(drawn->layout().bars.at(1));
    EXPECT_TRUE(stageTip.contains("Zarna KT7-LB №2 OUT3 — Холл")) << stageTip.join('|').toStdString();
    EXPECT_TRUE(stageTip.first().endsWith(QStringLiteral(", сообщение %1 — Эвакуация").arg(code % 8 + 1)));
    EXPECT_EQ(tipAt(drawn->layout().bars.at(0)), QStringList{QStringLiteral("Источник сигнала: ЗКПС 1 этаж")});

    // A longer delay on the page of IN-1 moves its stages on the timeline
    // and in the cells' times.
    ASSERT_TRUE(click(Main->inputNode(1)));
    auto* timeline = ctl<TTimelineView>("Timeline");
    ASSERT_TRUE(timeline->isVisible());
    ASSERT_EQ(timeline->layout().bars.size(), 3u);
    const double before = timeline->layout().bars[1].x;
    pick("CBDelay", 4);
    EXPECT_GT(timeline->layout().bars[1].x, before);
    EXPECT_EQ(timeline->layout().bars[1].label().rfind("Этап 1  01:00–02:00 (01:00)", 0), 0u);
    EXPECT_TRUE(grid->model()->index(0, K1).data(Qt::ToolTipRole).toString().contains("Этап 1: 01:00–02:00"));

    // Stage 2 limited: stage 3 is off, so stage 4 still never runs.
    ASSERT_TRUE(click(Main->stageNode(1, 2)));
    pick("CBTime", 4);
    ASSERT_TRUE(click(Main->inputNode(1)));
    EXPECT_EQ(timeline->layout().bars.size(), 3u);
    EXPECT_FALSE(timeline->layout().bars[2].open);
    EXPECT_EQ(timeline->layout().notes,
              std::vector<std::string>{"Не выполняется: этап 4 (после этапа 3, который выключен)"});
}

TEST_F(MatrixWindow, AClickOnABarSelectsItsStage)
{
    ASSERT_TRUE(click(Main->inputNode(1)));
    auto* timeline = ctl<TTimelineView>("Timeline");
    const TTimelineLayout t = timeline->layout();
    ASSERT_EQ(t.bars.size(), 3u);
    // The window at its size draws the labels whole.
    for (const TTimelineLayout::Bar& b : t.bars)
        EXPECT_LE(timeline->fontMetrics().horizontalAdvance(QString::fromStdString(b.label()))
                      + TTimelineLayout::Margin,
                  timeline->width())
            << b.label();
    EXPECT_LE(t.height, timeline->height());
    const TTimelineLayout::Bar& stage2 = t.bars[2];
    QTest::mouseClick(timeline, Qt::LeftButton, {},
                      QPoint(static_cast<int>(stage2.x + 10), static_cast<int>(stage2.y + stage2.height / 2)));
    EXPECT_EQ(current(), Main->stageNode(1, 2));

    // IN-2's axis ends at the right edge: its last time stands whole.
    ASSERT_TRUE(click(Main->inputNode(2)));
    QFont timeFont = timeline->font();
    timeFont.setPixelSize(9);
    const QFontMetrics time(timeFont);
    const TTimelineLayout in2 = timeline->layout();
    ASSERT_FALSE(in2.ticks.empty());
    EXPECT_EQ(in2.ticks.back().text, "01:00");
    for (const TTimelineLayout::Tick& tick : in2.ticks) {
        const int width = time.horizontalAdvance(QString::fromStdString(tick.text));
        const double from
            = tick.textBefore ? tick.x - TTimelineLayout::TickTextGap - width : tick.x + TTimelineLayout::TickTextGap;
        EXPECT_GE(from, 0) << tick.text;
        EXPECT_LE(from + width, timeline->width()) << tick.text;
    }
}

TEST_F(MatrixWindow, TheTimelineSavesAsSvgAndAsPicture)
{
    ASSERT_TRUE(click(Main->inputNode(1)));
    QTemporaryDir dir;
    dialogs.savePaths = {dir.filePath("in1.svg"), dir.filePath("in1.png"), QString()};
    auto* save = ctl<QPushButton>("ButtonSaveTimeline");
    ASSERT_TRUE(save->isVisible());
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].fileName.endsWith("IN-1.svg"))
        << dialogs.fileRequests[0].fileName.toStdString();
    QFile svg(dir.filePath("in1.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QString error;
    // Each part of a label its own tspan: no renderer runs them together.
    EXPECT_EQ(svgLabels(svg.readAll(), &error),
              (std::vector<QStringList>{{"Срабатывание, задержка 00:30"},
                                        {"Этап 1", "00:30–01:30 (01:00)", "Панель №1", "2 вых., 1 реле"},
                                        {"Этап 2", "с 01:30, неограниченно", "MS3-1 №2", "1 вых., 1 реле"}}));
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();

    QTest::mouseClick(save, Qt::LeftButton);
    const QImage picture(dir.filePath("in1.png"));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.width(), 900);
    bool bar = false;
    for (int y = 0; y < picture.height() && !bar; ++y)
        for (int x = 0; x < picture.width() && !bar; ++x)
            bar = picture.pixelColor(x, y) == QColor(91, 155, 213);
    EXPECT_TRUE(bar);

    // Cancelled: nothing said, nothing written.
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(dialogs.fileRequests.size(), 3u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(MatrixWindow, SavedCsvAndPictureHoldWhatTheWindowShows)
{
    // IN-2 runs five stages on LB2 OUT4: a cell wider than its head.
    TImage image = planted();
    TAlarmRecord in2(image, 2);
    for (int k = 1; k <= Layout::StageCount; ++k) {
        in2.stage(k).setDuration(2);
        in2.stage(k).setOutputBit(Layout::outputBit(2, 4), true);
    }
    reloadWith(image);
    QTemporaryDir dir;
    const QString csv = dir.filePath("матрица.csv");
    dialogs.savePaths = {csv, dir.filePath("matrix.png"), dir.filePath("missing/x.csv")};
    QTest::mouseClick(ctl<QPushButton>("ButtonSave"), Qt::LeftButton);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const std::vector<QStringList> rows = readCsv(bytes.mid(3));
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_EQ(rows[0].size(), 15);
    EXPECT_EQ(rows[0][0], "Вход");
    for (int c = 0; c < 14; ++c) {
        EXPECT_EQ(rows[0][c + 1], head(c).replace('\n', ' '));
        for (int r = 0; r < 2; ++r)
            EXPECT_EQ(rows[static_cast<size_t>(r + 1)][c + 1], cell(r, c));
    }
    EXPECT_EQ(rows[1][0], "IN-1 Пожар; \"1\"");
    EXPECT_EQ(rows[2][0], "IN-2");

    QTest::mouseClick(ctl<QPushButton>("ButtonSave"), Qt::LeftButton);
    QImage picture(dir.filePath("matrix.png"));
    ASSERT_FALSE(picture.isNull());
    EXPECT_GE(picture.width(), grid->horizontalHeader()->length());
    EXPECT_GE(picture.height(), grid->verticalHeader()->length());
    ASSERT_EQ(cell(1, 7), "1, 2, 3, 4, 5");
    EXPECT_TRUE(pictureHolds(picture, cell(1, 7), grid->font(), TCauseMatrixModel::Shaded));
    EXPECT_FALSE(pictureHolds(picture, "5, 4, 3, 2, 1", grid->font(), TCauseMatrixModel::Shaded));

    // A folder that is not there: said in a box, nothing claimed.
    QTest::mouseClick(ctl<QPushButton>("ButtonSave"), Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("missing/x.csv"));
}
