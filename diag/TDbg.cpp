#include "diag/TDbg.h"

#include "diag/TDumpCellPainter.h"
#include "diag/TDumpModel.h"
#include "image/TImage.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

TDbg* Dbg = nullptr;

TDbg::TDbg(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Dbg"));
    setWindowTitle(QStringLiteral("Dbg"));
    move(735, 0);
    resize(288, 593);
}

void TDbg::setVisible(bool visible)
{
    if (visible)
        grid();
    QWidget::setVisible(visible);
}

// The heading row and the address column are shown by the header views, which
// do not scroll; the model's own row 0 and column 0 are therefore hidden.
QTableView* TDbg::grid() const
{
    if (SG)
        return SG;
    auto* self = const_cast<TDbg*>(this);
    m_model = new TDumpModel(self);
    SG = new QTableView(self);
    SG->setObjectName(QStringLiteral("SG"));
    SG->setModel(m_model);
    SG->setItemDelegate(new TDumpCellPainter(SG));
    SG->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG->setSelectionMode(QAbstractItemView::NoSelection);
    SG->setWordWrap(false);
    SG->setCornerButtonEnabled(false);

    QFont cellFont = SG->font();
    cellFont.setPixelSize(CellFontPixels);
    SG->setFont(cellFont);
    SG->horizontalHeader()->setFont(cellFont);
    SG->verticalHeader()->setFont(cellFont);

    QHeaderView* columns = SG->horizontalHeader();
    columns->setMinimumSectionSize(1);
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setFixedHeight(RowHeight);
    for (int c = TDumpModel::FirstBitColumn; c < TDumpModel::HexColumn; ++c)
        columns->resizeSection(c, BitWidth);
    columns->resizeSection(TDumpModel::HexColumn, HexWidth);
    SG->setColumnHidden(TDumpModel::AddressColumn, true);

    QHeaderView* rows = SG->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(RowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setFixedWidth(AddressWidth);
    SG->setRowHidden(TDumpModel::HeadingRow, true);

    auto* layout = new QVBoxLayout(self);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(SG);
    return SG;
}

void TDbg::Refresh(const TImage& image)
{
    if (!isVisible())
        return;
    m_model->setImage(image);
}

void TDbg::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    SG->scrollTo(m_model->index(FirstVisibleRow, TDumpModel::FirstBitColumn), QAbstractItemView::PositionAtTop);
}
