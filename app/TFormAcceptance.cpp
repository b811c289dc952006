#include "app/TFormAcceptance.h"

#include "app/TAcceptanceHost.h"
#include "app/TFilePlaces.h"
#include "widgets/TDialogs.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString Title = QStringLiteral("Испытания");
const QColor PassShade(0xD6, 0xF0, 0xD6);
const QColor FailShade(0xF6, 0xCC, 0xCC);
const QColor StaleShade(0xEC, 0xEC, 0xEC);
constexpr int NumberRole = Qt::UserRole;

using State = TAcceptance::State;
using Verdict = TAcceptanceResult::Verdict;

// "08.12.2026 10:27" of a result's time; the text itself where it is no time.
QString shownTime(const std::string& time)
{
    const QDateTime t = QDateTime::fromString(QString::fromStdString(time), Qt::ISODate);
    return t.isValid() ? t.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")) : QString::fromStdString(time);
}

QColor stateShade(State state)
{
    switch (state) {
    case State::Passed: return PassShade;
    case State::Failed: return FailShade;
    case State::Stale: return StaleShade;
    case State::Untested: break;
    }
    return {};
}

// What one cell shows.
struct Cell {
    QString text;
    QColor shade; // none: the table's own
    bool italic = false;
    bool editable = false;
    QString tip;
};

// Puts a cell into its item, changing only what differs: a table of a few
// hundred rows is brought up to date after every result without being made
// again.
void put(QTableWidget* grid, int row, int column, const Cell& cell, int number = 0)
{
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    const Qt::ItemFlags flags
        = Qt::ItemIsEnabled | Qt::ItemIsSelectable | (cell.editable ? Qt::ItemIsEditable : Qt::NoItemFlags);
    if (item->flags() != flags)
        item->setFlags(flags);
    if (item->text() != cell.text)
        item->setText(cell.text);
    const QBrush brush = cell.shade.isValid() ? QBrush(cell.shade) : QBrush();
    if (item->background() != brush)
        item->setBackground(brush);
    if (item->font().italic() != cell.italic) {
        QFont font = item->font();
        font.setItalic(cell.italic);
        item->setFont(font);
    }
    if (item->toolTip() != cell.tip)
        item->setToolTip(cell.tip);
    if (item->data(NumberRole).toInt() != number)
        item->setData(NumberRole, number);
}

QTableWidget* table(QWidget* parent, const char* name, const QStringList& heads)
{
    auto* grid = new QTableWidget(0, static_cast<int>(heads.size()), parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels(heads);
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}
} // namespace

TFormAcceptance::TFormAcceptance(TAcceptanceHost& host, QWidget* parent)
    : TSideWindow(parent, "FormAcceptance", Title, {1040, 540}), m_host(host)
{
    addSummary();
    auto* split = new QSplitter(this);
    split->setObjectName("SplitterAcceptance");
    GridInputs
        = table(split, "GridInputs", {QStringLiteral("Вход"), QStringLiteral("Состояние"), QStringLiteral("Испытано")});
    GridInputs->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* right = new QWidget(split);
    auto* layout = new QVBoxLayout(right);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* testerRow = new QHBoxLayout;
    auto* testerLabel = new QLabel(QStringLiteral("Испытатель:"), right);
    EditTester = new QLineEdit(right);
    EditTester->setObjectName("EditTester");
    testerLabel->setBuddy(EditTester);
    testerRow->addWidget(testerLabel);
    testerRow->addWidget(EditTester, 1);
    layout->addLayout(testerRow);
    LabelInput = new QLabel(right);
    LabelInput->setObjectName("LabelInput");
    LabelInput->setWordWrap(true);
    layout->addWidget(LabelInput);

    GridEffects = table(right, "GridEffects",
                        {QStringLiteral("Этап"), QStringLiteral("Время от срабатывания"), QStringLiteral("Сообщение"),
                         QStringLiteral("Зона / реле"), QStringLiteral("Имя"), QStringLiteral("Результат"),
                         QStringLiteral("Примечание"), QStringLiteral("Записано")});
    GridEffects->setSelectionBehavior(QAbstractItemView::SelectItems);
    // A letter typed on a row starts its remark; the keys of the results
    // are taken before the table sees them.
    GridEffects->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                 | QAbstractItemView::AnyKeyPressed);
    GridEffects->horizontalHeader()->setStretchLastSection(false);
    GridEffects->horizontalHeader()->setSectionResizeMode(ColNote, QHeaderView::Stretch);
    GridEffects->installEventFilter(this);
    layout->addWidget(GridEffects, 1);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& text, Verdict verdict) {
        auto* b = new QPushButton(text, right);
        b->setObjectName(name);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, verdict] {
            setVerdict(GridEffects->currentRow(), verdict);
            GridEffects->setFocus();
        });
        return b;
    };
    ButtonPass = button("ButtonPass", QStringLiteral("Годен (1)"), Verdict::Pass);
    ButtonFail = button("ButtonFail", QStringLiteral("Не годен (2)"), Verdict::Fail);
    ButtonUnchecked = button("ButtonUnchecked", QStringLiteral("Не проверено (0)"), Verdict::Unchecked);
    auto* keys
        = new QLabel(QStringLiteral("На строке: 1 или + — годен; 2 или - — не годен и примечание; 0 или Delete — "
                                    "не проверено; затем следующая строка. Буква, Enter или F2 — примечание."),
                     right);
    keys->setObjectName("LabelKeys");
    keys->setWordWrap(true);
    buttons->addWidget(keys, 1);
    layout->addLayout(buttons);
    split->addWidget(GridInputs);
    split->addWidget(right);
    split->setStretchFactor(1, 1);
    split->setSizes({300, 740});
    column()->addWidget(split, 1);

    connect(GridInputs, &QTableWidget::currentCellChanged, this, [this] {
        if (!m_filling)
            showEffects();
    });
    setRowAction(GridInputs, [this](const QModelIndex&) { GridEffects->setFocus(); });
    // The table commits a remark once its editor has handed it over.
    connect(GridEffects, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_filling || item->column() != ColNote)
            return;
        const int row = item->row();
        if (setNote(row, item->text()))
            goToRow(row + 1);
        else
            showEffects();
    });
    connect(EditTester, &QLineEdit::textEdited, this, [this] { m_testerTyped = true; });

    m_subscription = m_host.project().subscribe([this](TProject::Change change, int) {
        m_stale = true;
        // Open, save and new give the project its file after they have told
        // their changes: the file is looked for once they are done.
        if (change == TProject::Change::ProjectName || change == TProject::Change::Saved)
            QTimer::singleShot(0, this, [this] {
                if (isVisible() && resultsPath() != m_path)
                    reload();
            });
        else if (isVisible())
            rebuild();
    });
}

std::string TFormAcceptance::resultsPath() const
{
    const QString project = m_host.filePlaces().projectFile();
    return project.isEmpty() ? std::string() : TAcceptanceFile::pathFor(QFile::encodeName(project).toStdString());
}

QString TFormAcceptance::resultsFile() const
{
    return QFile::decodeName(QByteArray::fromStdString(resultsPath()));
}

void TFormAcceptance::showAcceptance()
{
    bringUp();
    GridEffects->setFocus();
}

void TFormAcceptance::showEvent(QShowEvent* event)
{
    // What kt7tool recorded while the window was closed shows.
    reload();
    TSideWindow::showEvent(event);
}

bool TFormAcceptance::event(QEvent* event)
{
    // Back from another program (kt7tool in a terminal): what it recorded shows.
    if (event->type() == QEvent::WindowActivate && isVisible())
        reload();
    return TSideWindow::event(event);
}

void TFormAcceptance::reload()
{
    m_path = resultsPath();
    m_contents = {};
    m_readError.clear();
    if (!m_path.empty())
        if (const TFileResult read = TAcceptanceFile::read(m_path, m_contents); !read)
            m_readError = text(read.text());
    rebuild();
}

void TFormAcceptance::rebuild()
{
    if (resultsPath() != m_path) {
        reload();
        return;
    }
    const TProject& project = m_host.project();
    m_acceptance = TAcceptance::of(TAcceptancePlan::of(project.image(), project.names(), project.siteNames()),
                                   m_contents.results);
    m_stale = false;
    if (!m_testerTyped)
        EditTester->setText(text(project.siteNames().engineer));
    showSummary();
    showInputs();
    showEffects();
}

void TFormAcceptance::showSummary()
{
    QStringList lines{text(m_acceptance.summary())};
    if (m_path.empty())
        lines << QStringLiteral("Проект еще не сохранен в файле: результаты записываются в файл рядом с ним, "
                                "и первый результат предложит сохранить проект.");
    else
        lines << QStringLiteral("Результаты: %1").arg(QFile::decodeName(QByteArray::fromStdString(m_path)));
    if (!m_readError.isEmpty())
        lines << QStringLiteral("Файл результатов не прочитан: %1").arg(m_readError);
    if (!m_contents.damaged.empty()) {
        QStringList damaged;
        for (const TAcceptanceFile::Damaged& d : m_contents.damaged)
            damaged << QStringLiteral("строка %1: %2").arg(d.line).arg(text(d.reason));
        lines << QStringLiteral("Поврежденные строки файла (оставлены как есть): %1").arg(damaged.join("; "));
    }
    addSummary()->setText(lines.join('\n'));
}

void TFormAcceptance::showInputs()
{
    m_filling = true;
    const TAcceptance::Input* was = selected();
    const int keep = was ? was->number : 0;
    GridInputs->setRowCount(static_cast<int>(m_acceptance.inputs.size()));
    int current = 0;
    for (int r = 0; r < GridInputs->rowCount(); ++r) {
        const TAcceptance::Input& in = m_acceptance.inputs[static_cast<size_t>(r)];
        const QString counts = QStringLiteral("%1 из %2").arg(in.tested).arg(in.effects());
        const QString texts[] = {text(in.head), QString::fromUtf8(TAcceptance::word(in.state)), counts};
        for (int c = 0; c < 3; ++c)
            put(GridInputs, r, c, {texts[c], stateShade(in.state), false, false, {}}, in.number);
        if (in.number == keep)
            current = r;
    }
    if (m_inputsFitted != GridInputs->rowCount()) {
        m_inputsFitted = GridInputs->rowCount();
        GridInputs->resizeColumnsToContents();
    }
    if (GridInputs->rowCount() > 0)
        GridInputs->setCurrentCell(current, 0);
    m_filling = false;
}

const TAcceptance::Input* TFormAcceptance::selected() const
{
    const QTableWidgetItem* item = GridInputs->item(GridInputs->currentRow(), 0);
    return item ? m_acceptance.input(item->data(NumberRole).toInt()) : nullptr;
}

void TFormAcceptance::showEffects()
{
    const TAcceptance::Input* in = selected();
    const int number = in ? in->number : 0;
    const bool same = number == GridEffects->property("input").toInt();
    const int keep = same ? GridEffects->currentRow() : -1;
    m_filling = true;
    GridEffects->setProperty("input", number);
    const int rows = in ? in->effects() : 0;
    const int gone = in ? static_cast<int>(in->gone.size()) : 0;
    GridEffects->setRowCount(rows + gone);
    int first = -1; // the first row without a current result
    for (int r = 0; r < rows + gone; ++r) {
        const bool expected = r < rows;
        const TAcceptance::Row* row = expected ? &in->rows[static_cast<size_t>(r)] : nullptr;
        const TAcceptanceResult* result
            = row ? (row->result ? &*row->result : nullptr) : &in->gone[static_cast<size_t>(r - rows)];
        const bool stale = !expected || row->stale;
        QString verdict;
        if (result)
            verdict = QString::fromUtf8(TAcceptanceResult::word(result->verdict))
                + (expected ? (stale ? QStringLiteral(" (устарел)") : QString())
                            : QStringLiteral(" (устарел: вход больше не включает)"));
        QString texts[Columns];
        if (expected) {
            const TAcceptancePlan::Effect& e = row->effect;
            texts[ColStage] = QString::number(e.stage);
            texts[ColTime] = text(e.time);
            texts[ColMessage] = text(e.message);
            texts[ColTarget] = text(e.head);
            texts[ColName] = text(e.name);
        } else {
            texts[ColStage] = QString::number(result->stage);
            texts[ColTarget] = text(result->target);
        }
        texts[ColResult] = verdict;
        texts[ColNote] = result ? text(result->note) : QString();
        if (result)
            texts[ColRecorded]
                = (result->tester.empty() ? QString() : text(result->tester) + ", ") + shownTime(result->time);
        const QColor shade = !result           ? QColor()
            : stale                            ? StaleShade
            : result->verdict == Verdict::Pass ? PassShade
            : result->verdict == Verdict::Fail ? FailShade
                                               : QColor();
        for (int c = 0; c < Columns; ++c) {
            const bool ofResult = c == ColResult || c == ColNote || c == ColRecorded;
            put(GridEffects, r, c,
                {texts[c], ofResult ? shade : QColor(), stale && result != nullptr, c == ColNote && expected,
                 c == ColTarget && expected ? text(row->effect.key) : QString()});
        }
        if (first < 0 && expected && row->verdict() == Verdict::Unchecked)
            first = r;
    }

    if (!in) {
        LabelInput->setText(m_acceptance.inputs.empty() ? QStringLiteral("Ни один вход не включен: испытывать нечего.")
                                                        : QString());
    } else {
        QString line = QStringLiteral("%1 — %2; испытано %3 из %4, годен %5, замечаний %6")
                           .arg(text(in->head), QString::fromUtf8(TAcceptance::word(in->state)))
                           .arg(in->tested)
                           .arg(in->effects())
                           .arg(in->passed)
                           .arg(in->remarks);
        if (in->stale > 0)
            line += QStringLiteral(", устарели %1").arg(in->stale);
        if (in->rows.empty())
            line += QStringLiteral(". Вход ничего не включает: испытывать нечего.");
        else if (in->time.empty())
            line += QStringLiteral(". Испытатель и время запишутся с первым результатом.");
        else
            line += QStringLiteral(". Испытатель: %1, начато %2")
                        .arg(in->tester.empty() ? QStringLiteral("—") : text(in->tester), shownTime(in->time));
        LabelInput->setText(line);
    }
    // Columns as wide as their texts, fitted when another input or another
    // number of rows is shown rather than at every result.
    if (!same || m_effectsFitted != GridEffects->rowCount()) {
        m_effectsFitted = GridEffects->rowCount();
        GridEffects->resizeColumnsToContents();
    }
    m_filling = false;
    goToRow(keep >= 0 ? keep : std::max(first, 0));
}

void TFormAcceptance::goToRow(int row)
{
    const TAcceptance::Input* in = selected();
    if (!in || in->rows.empty())
        return;
    GridEffects->setCurrentCell(std::clamp(row, 0, in->effects() - 1), ColNote);
}

bool TFormAcceptance::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != GridEffects || event->type() != QEvent::KeyPress)
        return TSideWindow::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);

    // Keys the remark's editor passes on, and keys with Ctrl or Alt, are the table's own.
    const QWidget* focus = QApplication::focusWidget();
    if ((focus && focus != GridEffects && GridEffects->isAncestorOf(focus))
        || (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)))
        return false;
    const int row = GridEffects->currentRow();
    switch (key->key()) {
    case Qt::Key_1:
    case Qt::Key_Plus: setVerdict(row, Verdict::Pass); return true;
    case Qt::Key_2:
    case Qt::Key_Minus: setVerdict(row, Verdict::Fail); return true;
    case Qt::Key_0:
    case Qt::Key_Delete: setVerdict(row, Verdict::Unchecked); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (QTableWidgetItem* note = GridEffects->item(row, ColNote); note && (note->flags() & Qt::ItemIsEditable))
            GridEffects->editItem(note);
        return true;
    default: return false;
    }
}

bool TFormAcceptance::setVerdict(int row, Verdict verdict)
{
    const TAcceptance::Input* in = selected();
    if (!in || row < 0 || row >= in->effects())
        return false;
    const TAcceptance::Row& shown = in->rows[static_cast<size_t>(row)];
    // A remark made on what the input did before is no remark on what it does now.
    const QString note = shown.result && !shown.stale ? text(shown.result->note) : QString();
    // «Не проверено» where nothing was ever recorded says nothing new.
    const bool unchanged = verdict == Verdict::Unchecked && !shown.result;
    if (!unchanged && !record(row, verdict, note))
        return false;
    if (verdict != Verdict::Fail) {
        goToRow(row + 1);
        return true;
    }
    // A deviation is described where it is found.
    goToRow(row);
    GridEffects->editItem(GridEffects->item(row, ColNote));
    return true;
}

bool TFormAcceptance::setNote(int row, const QString& note)
{
    const TAcceptance::Input* in = selected();
    if (!in || row < 0 || row >= in->effects())
        return false;
    const TAcceptance::Row& shown = in->rows[static_cast<size_t>(row)];
    if (shown.result ? !shown.stale && text(shown.result->note) == note : note.isEmpty())
        return true;
    return record(row, shown.verdict(), note);
}

bool TFormAcceptance::haveFile()
{
    if (!resultsFile().isEmpty())
        return true;
    if (!Dlg::confirm(QStringLiteral("Результаты испытаний записываются в файл рядом с проектом, а проект еще не "
                                     "сохранен в файле. Сохранить проект?")))
        return false;
    return m_host.saveProject() && !resultsFile().isEmpty();
}

bool TFormAcceptance::record(int row, Verdict verdict, const QString& note)
{
    if (m_stale)
        rebuild();
    const int number = selected() ? selected()->number : 0;
    if (number == 0 || !haveFile())
        return false;
    // Saving may have changed what is shown: the effect is taken afresh.
    if (m_stale || resultsPath() != m_path)
        reload();
    const TAcceptance::Input* in = m_acceptance.input(number);
    if (!in || row >= in->effects())
        return false;
    const TAcceptancePlan::Effect& effect = in->rows[static_cast<size_t>(row)].effect;
    TAcceptanceResult result;
    result.input = number;
    result.stage = effect.stage;
    result.target = effect.key;
    result.verdict = verdict;
    result.fingerprint = in->fingerprint;
    result.time = TAcceptanceFile::now();
    result.tester = EditTester->text().trimmed().toStdString();
    result.note = note.toStdString();
    TAcceptanceFile::Contents after;
    if (const TFileResult written = TAcceptanceFile::record(m_path, {result}, &after); !written) {
        Dlg::error(QStringLiteral("Результат не записан:\n%1").arg(text(written.text())));
        return false;
    }
    m_contents = std::move(after);
    m_readError.clear();
    rebuild();
    return true;
}
