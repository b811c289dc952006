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
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString Title = QStringLiteral("Имена объекта, зон и реле");

// Whether the system has the unit a name belongs to.
bool present(const TSiteNames::Entry& e, const TAlarmPlan::Composition& c)
{
    using Part = TSiteNames::Part;
    switch (e.part) {
    case Part::Zone: return e.number / Layout::OutputsPerSplitter < c.splitters;
    case Part::Relay: return e.number / Layout::RelaysPerModule < c.relayModules;
    case Part::Message: return e.number / 8 <= c.messageModules;
    case Part::Site:
    case Part::ControllerRelay:
    case Part::Cause: break;
    }
    return true;
}
} // namespace

TFormSiteNames::TFormSiteNames(TProject& project, QAction* undo, QAction* redo, QAction* save, QWidget* parent)
    : TSideWindow(parent, "FormSiteNames", Title, {560, 600}), m_project(project)
{
    QVBoxLayout* layout = column();
    auto* site = new QFormLayout;
    layout->addLayout(site);
    TabsNames = new QTabWidget(this);
    TabsNames->setObjectName("TabsNames");
    layout->addWidget(TabsNames, 1);
    TableNames = addTable("TableNames", QStringLiteral("Зоны и реле"), QStringLiteral("Выход или реле"));
    TableCauses = addTable("TableCauses", QStringLiteral("Входы"), QStringLiteral("Источник сигнала"));
    TableMessages = addTable("TableMessages", QStringLiteral("Сообщения"), QStringLiteral("Сообщение"));
    auto* document = new QWidget(TabsNames);
    auto* title = new QFormLayout(document);
    TabsNames->addTab(document, QStringLiteral("Документ"));

    using Part = TSiteNames::Part;
    const std::vector<TSiteNames::Entry>& entries = TSiteNames::entries();
    m_places.resize(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const TSiteNames::Entry& e = entries[i];
        const QString label = QString::fromStdString(TReportTerms::nameLabel(e));
        if (e.part == Part::Site) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QString::fromStdString("Edit" + e.key));
            edit->setValidator(new TNameValidator(edit));
            (e.number < TSiteNames::TitleBlockFrom ? site : title)->addRow(label, edit);
            connect(edit, &QLineEdit::editingFinished, this, &TFormSiteNames::commit);
            m_places[i].edit = edit;
            continue;
        }
        QTableWidget* table = e.part == Part::Cause ? TableCauses
            : e.part == Part::Message               ? TableMessages
                                                    : TableNames;
        const int row = table->rowCount();
        table->insertRow(row);
        auto* unit = new QTableWidgetItem(label);
        unit->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table->setItem(row, 0, unit);
        table->setItem(row, 1, new QTableWidgetItem);
        m_places[i] = {nullptr, table, row};
    }
    EditObject = findChild<QLineEdit*>("EditObject");
    for (QTableWidget* table : {TableNames, TableCauses, TableMessages})
        connect(table, &QTableWidget::itemChanged, this, [this] { commit(); });

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
        {QKeySequence(Qt::CTRL | Qt::Key_S), save},
    };
    for (const auto& [key, action] : keys)
        connect(new QShortcut(key, this), &QShortcut::activated, action, &QAction::trigger);

    m_subscription = m_project.subscribe([this](TProject::Change change, int) {
        const bool shown = change == TProject::Change::SiteNames || change == TProject::Change::Image
            || change == TProject::Change::InputName;
        if (shown && isVisible())
            load();
    });
}

TFormSiteNames::~TFormSiteNames()
{
    // Closing the window as it goes takes the focus from a field, which would
    // take its text into the project with this window half gone.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

QTableWidget* TFormSiteNames::addTable(const char* name, const QString& tab, const QString& head)
{
    auto* table = new QTableWidget(0, 2, TabsNames);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels({head, QStringLiteral("Имя")});
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                           | QAbstractItemView::AnyKeyPressed);
    table->setItemDelegateForColumn(1, new TNameDelegate(table));
    TabsNames->addTab(table, tab);
    return table;
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
    const TAlarmPlan::Composition composition = TAlarmPlan::Composition::of(m_project.image());
    const std::vector<TSiteNames::Entry>& entries = TSiteNames::entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const TSiteNames::Entry& e = entries[i];
        const Place& place = m_places[i];
        const QString shown = QString::fromStdString(names.name(e));
        if (place.edit) {
            if (place.edit->text() != shown)
                place.edit->setText(shown);
            continue;
        }
        place.table->item(place.row, 1)->setText(shown);
        QTableWidgetItem* unit = place.table->item(place.row, 0);
        unit->setForeground(
            palette().color(present(e, composition) ? QPalette::Active : QPalette::Disabled, QPalette::Text));
        // An input by its algorithm's name too, as the tree shows it.
        if (e.part == TSiteNames::Part::Cause) {
            const std::string& algorithm = m_project.inputName(e.number);
            unit->setText(QString::fromStdString(algorithm.empty() ? e.label : e.label + " " + algorithm));
        }
    }
    m_loading = false;
}

void TFormSiteNames::commit()
{
    if (m_loading)
        return;
    TSiteNames names;
    const std::vector<TSiteNames::Entry>& entries = TSiteNames::entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const Place& place = m_places[i];
        names.name(entries[i])
            = (place.edit ? place.edit->text() : place.table->item(place.row, 1)->text()).toStdString();
    }
    m_project.setSiteNames(names);
}
