#include "app/TFormCheck.h"

#include "app/TCheckHost.h"
#include "report/TConfigCheck.h"
#include "widgets/TDialogs.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString Title = QStringLiteral("Проверка конфигурации");
const QString HowToSelect = QStringLiteral("Двойной щелчок выбирает узел замечания в дереве.");
} // namespace

TFormCheck::TFormCheck(TCheckHost& host, QWidget* parent)
    : TSideWindow(parent, "FormCheck", Title, {720, 340}), m_host(host)
{
    m_summary = addSummary();
    m_list = new QTreeWidget(this);
    m_list->setObjectName("ListFindings");
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Вид"), QStringLiteral("Где"), QStringLiteral("Что")});
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 130);
    m_list->setColumnWidth(1, 190);
    m_note = new QLabel(this);
    m_note->setObjectName("LabelNote");
    m_note->setText(HowToSelect);
    column()->addWidget(m_list, 1);
    column()->addWidget(m_note);
    setRowAction(m_list, [this](const QModelIndex& index) { onActivated(index.row()); });
    m_subscription = m_host.project().subscribe([this](TProject::Change change, int) {
        if ((change == TProject::Change::Image || change == TProject::Change::InputName) && isVisible())
            refresh();
    });
}

QString TFormCheck::note() const
{
    return m_note->text();
}

QString TFormCheck::errorsText(const std::vector<TConfigFinding>& findings)
{
    const int errors = TConfigCheck::errors(findings);
    QString box = QStringLiteral("Ошибок в конфигурации: %1\n").arg(errors);
    int shown = 0;
    for (const TConfigFinding& f : findings)
        if (f.error() && shown++ < BoxLines)
            box += '\n' + text(f.line());
    if (errors > BoxLines)
        box += QStringLiteral("\nи ещё %1").arg(errors - BoxLines);
    return box + QStringLiteral("\n\nЗаписать конфигурацию в контроллер?");
}

bool TFormCheck::approveWrite()
{
    return approveWrite(m_host.findings());
}

bool TFormCheck::approveWrite(const std::vector<TConfigFinding>& findings)
{
    if (TConfigCheck::errors(findings) == 0)
        return true;
    const int choice = TDialogs::current().choose(
        {errorsText(findings), Title, TMsgIcon::Warning, 0},
        {QStringLiteral("Записать"), QStringLiteral("Отмена"), QStringLiteral("Показать все")}, ChoiceCancel);
    if (choice == ChoiceShowAll)
        showList();
    return choice == ChoiceWrite;
}

void TFormCheck::showList()
{
    refresh();
    bringUp();
}

void TFormCheck::refresh()
{
    m_findings = m_host.findings();
    const int errors = TConfigCheck::errors(m_findings);
    const int warnings = static_cast<int>(m_findings.size()) - errors;
    m_summary->setText(m_findings.empty()
                           ? QStringLiteral("Проверка не нашла в конфигурации ни ошибок, ни предупреждений.")
                           : QStringLiteral("Ошибок: %1, предупреждений: %2").arg(errors).arg(warnings));
    const QIcon error = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    m_list->clear();
    for (const TConfigFinding& f : m_findings) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, f.error() ? QStringLiteral("Ошибка") : QStringLiteral("Предупреждение"));
        item->setIcon(0, f.error() ? error : warning);
        item->setText(1, text(f.where()));
        item->setText(2, text(f.text));
        item->setToolTip(2, text(f.text));
    }
    m_list->resizeColumnToContents(0);
    m_list->resizeColumnToContents(1);
    // The selection a finding made may have moved since.
    m_note->setText(HowToSelect);
}

void TFormCheck::onActivated(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= m_findings.size())
        return;
    const TConfigFinding& finding = m_findings[static_cast<size_t>(row)];
    m_note->setText(nodeNote(m_host.selectFindingNode(finding), text(finding.where())));
}
