#include "app/TFormSiteNames.h"

#include "app/TNameDelegate.h"
#include "editor/TNameValidator.h"
#include "project/TProject.h"
#include "report/TAlarmPlan.h"
#include "report/TReportTerms.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString Title = QStringLiteral("Имена объекта, зон и реле");
constexpr int ControllerRow = Layout::OutputBits; // K1, then K2
constexpr int FirstModuleRow = ControllerRow + 2;
constexpr int RowCount = FirstModuleRow + Layout::RelayBits;
// The rows follow the names' own numbering after the object, the address
// and the engineer.
constexpr int FirstRowField = 3;

// The row's unit in the report's words.
QString rowLabel(int row)
{
    if (row < ControllerRow)
        return QString::fromStdString(
            TReportTerms::outputName(row / Layout::OutputsPerSplitter + 1, row % Layout::OutputsPerSplitter + 1));
    if (row < FirstModuleRow)
        return QString::fromStdString(TReportTerms::relayName(0, row - ControllerRow + 1));
    const int bit = row - FirstModuleRow;
    return QString::fromStdString(
        TReportTerms::relayName(bit / Layout::RelaysPerModule + 1, bit % Layout::RelaysPerModule + 1));
}

bool present(int row, const TAlarmPlan::Composition& c)
{
    if (row < ControllerRow)
        return row / Layout::OutputsPerSplitter < c.splitters;
    return row < FirstModuleRow || (row - FirstModuleRow) / Layout::RelaysPerModule < c.relayModules;
}
} // namespace

TFormSiteNames::TFormSiteNames(TProject& project, QAction* undo, QAction* redo, QWidget* parent)
    : TSideWindow(parent, "FormSiteNames", Title, {560, 600}), m_project(project)
{
    QVBoxLayout* layout = column();
    auto* site = new QFormLayout;
    const auto field = [&](const char* name, const QString& label) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setValidator(new TNameValidator(edit));
        site->addRow(label, edit);
        connect(edit, &QLineEdit::editingFinished, this, &TFormSiteNames::commit);
        return edit;
    };
    EditObject = field("EditObject", QStringLiteral("Объект"));
    EditAddress = field("EditAddress", QStringLiteral("Адрес"));
    EditEngineer = field("EditEngineer", QStringLiteral("Наладчик"));
    layout->addLayout(site);

    TableNames = new QTableWidget(RowCount, 2, this);
    TableNames->setObjectName("TableNames");
    TableNames->setHorizontalHeaderLabels({QStringLiteral("Выход или реле"), QStringLiteral("Имя")});
    TableNames->verticalHeader()->hide();
    TableNames->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    TableNames->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    TableNames->horizontalHeader()->setStretchLastSection(true);
    TableNames->setSelectionMode(QAbstractItemView::SingleSelection);
    TableNames->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                | QAbstractItemView::AnyKeyPressed);
    TableNames->setItemDelegateForColumn(1, new TNameDelegate(TableNames));
    for (int row = 0; row < RowCount; ++row) {
        auto* unit = new QTableWidgetItem(rowLabel(row));
        unit->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        TableNames->setItem(row, 0, unit);
        TableNames->setItem(row, 1, new QTableWidgetItem);
    }
    layout->addWidget(TableNames, 1);
    connect(TableNames, &QTableWidget::itemChanged, this, [this] { commit(); });
    auto* note = new QLabel(QStringLiteral("Имена хранятся в файле имён проекта (*.ini) и сохраняются вместе с "
                                           "проектом; их показывают матрица, сравнение, kt7tool show и документация "
                                           "к сдаче. Серым — то, чего нет в составе системы."),
                            this);
    note->setObjectName("LabelNote");
    note->setWordWrap(true);
    layout->addWidget(note);

    const std::pair<QKeySequence, QAction*> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Z), undo},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), redo},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), redo},
    };
    for (const auto& [key, action] : keys)
        connect(new QShortcut(key, this), &QShortcut::activated, action, &QAction::trigger);

    m_subscription = m_project.subscribe([this](TProject::Change change, int) {
        if ((change == TProject::Change::SiteNames || change == TProject::Change::Image) && isVisible())
            load();
    });
}

void TFormSiteNames::showNames()
{
    load();
    bringUp();
}

void TFormSiteNames::load()
{
    m_loading = true;
    const TSiteNames& names = m_project.siteNames();
    const auto setText = [](QLineEdit* edit, const std::string& text) {
        const QString shown = QString::fromStdString(text);
        if (edit->text() != shown)
            edit->setText(shown);
    };
    setText(EditObject, names.object);
    setText(EditAddress, names.address);
    setText(EditEngineer, names.engineer);
    const TAlarmPlan::Composition composition = TAlarmPlan::Composition::of(m_project.image());
    for (int row = 0; row < RowCount; ++row) {
        TableNames->item(row, 1)->setText(QString::fromStdString(names.field(FirstRowField + row)));
        const QColor shade
            = palette().color(present(row, composition) ? QPalette::Active : QPalette::Disabled, QPalette::Text);
        TableNames->item(row, 0)->setForeground(shade);
    }
    m_loading = false;
}

void TFormSiteNames::commit()
{
    if (m_loading)
        return;
    TSiteNames names;
    names.object = EditObject->text().toStdString();
    names.address = EditAddress->text().toStdString();
    names.engineer = EditEngineer->text().toStdString();
    for (int row = 0; row < RowCount; ++row)
        names.field(FirstRowField + row) = TableNames->item(row, 1)->text().toStdString();
    m_project.setSiteNames(names);
}
