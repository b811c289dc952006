#include "app/TFormMatrix.h"

#include "app/TCauseMatrixModel.h"
#include "app/TExport.h"
#include "app/TFilePlaces.h"
#include "app/TMatrixCellDelegate.h"
#include "app/TMatrixHost.h"
#include "project/TProject.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QString Title = QStringLiteral("Матрица причин и следствий");
const QString SaveFilter = QStringLiteral("Таблица CSV|*.csv|Рисунок PNG|*.png");
constexpr int ColumnWidth = 44; // at least
constexpr int CellPadding = 5;  // either side of a cell's text
} // namespace

TFormMatrix::TFormMatrix(TMatrixHost& host, QWidget* parent)
    : TSideWindow(parent, "FormMatrix", Title, {900, 480}), m_host(host)
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName("TabsMatrix");
    m_algorithms = new TCauseMatrixModel(TCauseMatrixModel::Table::Algorithms, this);
    m_zones = new TCauseMatrixModel(TCauseMatrixModel::Table::Zones, this);
    GridMatrix = addTable(m_algorithms, "GridMatrix", QStringLiteral("Алгоритмы"));
    GridZones = addTable(m_zones, "GridZones", QStringLiteral("Зоны"));
    column()->addWidget(m_tabs, 1);

    auto* bottom = new QHBoxLayout;
    m_note = new QLabel(QStringLiteral("В ячейке: этапы, в которых вход включает выход или реле; время и сообщение — "
                                       "в подсказке. Розовым: что не включает ни один алгоритм и алгоритмы, "
                                       "которые ничего не включают. Двойной щелчок выбирает этап в дереве."),
                        this);
    m_note->setObjectName("LabelNote");
    m_note->setWordWrap(true);
    ButtonSave = new QPushButton(QStringLiteral("Сохранить…"), this);
    ButtonSave->setObjectName("ButtonSave");
    bottom->addWidget(m_note, 1);
    bottom->addWidget(ButtonSave);
    column()->addLayout(bottom);
    connect(ButtonSave, &QPushButton::clicked, this, [this] { ButtonSaveClick(); });

    m_subscription = m_host.project().subscribe([this](TProject::Change change, int) {
        if (change == TProject::Change::ProjectName || change == TProject::Change::Saved)
            return;
        m_stale = true;
        if (isVisible())
            rebuild();
    });
}

void TFormMatrix::fitColumns(QTableView& table, TextWidths& known)
{
    QHeaderView* heads = table.horizontalHeader();
    const auto* model = static_cast<const TCauseMatrixModel*>(table.model());
    const QFontMetrics metrics(table.font());
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString head = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        auto found = known.heads.constFind(head);
        if (found == known.heads.cend())
            found = known.heads.insert(head, heads->sectionSizeHint(c));
        int width = std::max(ColumnWidth, *found);
        for (const QString& text : model->columnTexts(c)) {
            found = known.cells.constFind(text);
            if (found == known.cells.cend())
                found = known.cells.insert(text, metrics.horizontalAdvance(text) + 2 * CellPadding);
            width = std::max(width, *found);
        }
        if (heads->sectionSize(c) != width)
            heads->resizeSection(c, width);
    }
}
QTableView* TFormMatrix::addTable(TCauseMatrixModel* model, const char* name, const QString& title)
{
    auto* table = new QTableView(m_tabs);
    table->setObjectName(name);
    table->setModel(model);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setItemDelegate(new TMatrixCellDelegate(table));
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setDefaultSectionSize(ColumnWidth);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(22);
    table->verticalHeader()->setMaximumWidth(240);
    m_tabs->addTab(table, title);
    setRowAction(table, [this, table](const QModelIndex& index) { activated(table, index.row(), index.column()); });
    connect(table->verticalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this, table](int row) { activated(table, row, -1); });
    return table;
}

void TFormMatrix::activated(QTableView* table, int row, int column)
{
    const auto* model = static_cast<const TCauseMatrixModel*>(table->model());
    if (row < 0 || row >= model->rowCount())
        return;
    m_host.selectFindingNode(model->nodeAt(row, column));
}

void TFormMatrix::showMatrix()
{
    bringUp();
}

void TFormMatrix::showEvent(QShowEvent* event)
{
    if (m_stale)
        rebuild();
    QWidget::showEvent(event);
}

void TFormMatrix::rebuild()
{
    const TProject& project = m_host.project();
    const TCauseMatrix matrix = TCauseMatrix::of(project.image(), project.names(), project.siteNames());
    m_algorithms->show(matrix);
    m_zones->show(matrix);
    fitColumns(*GridMatrix, m_widths);
    fitColumns(*GridZones, m_widths);
    m_stale = false;
}

QImage TFormMatrix::picture(QTableView* table) const
{
    // A view of its own, never on screen, as large as the whole table.
    QTableView whole;
    whole.setAttribute(Qt::WA_DontShowOnScreen);
    whole.setModel(table->model());
    whole.setItemDelegate(new TMatrixCellDelegate(&whole));
    whole.setFont(table->font());
    whole.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    whole.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    whole.horizontalHeader()->setDefaultSectionSize(table->horizontalHeader()->defaultSectionSize());
    whole.verticalHeader()->setDefaultSectionSize(table->verticalHeader()->defaultSectionSize());
    whole.show();
    TextWidths widths;
    fitColumns(whole, widths);
    const int frame = 2 * whole.frameWidth();
    whole.resize(whole.verticalHeader()->sizeHint().width() + whole.horizontalHeader()->length() + frame,
                 whole.horizontalHeader()->sizeHint().height() + whole.verticalHeader()->length() + frame);
    return whole.grab().toImage();
}

bool TFormMatrix::ButtonSaveClick()
{
    TFilePlaces& places = m_host.filePlaces();
    return TExport::save(places,
                         places.request(SaveFilter, QStringLiteral("csv"), TFilePlaces::Proposal::DocumentName,
                                        QStringLiteral("matrix")),
                         [this](const QString& chosen) -> std::optional<std::string> {
                             if (m_stale)
                                 rebuild();
                             if (!TExport::png(chosen))
                                 return m_algorithms->matrix().csv();
                             return TExport::pngBytes(picture(static_cast<QTableView*>(m_tabs->currentWidget())),
                                                      QStringLiteral("Не удалось нарисовать таблицу"));
                         });
}
