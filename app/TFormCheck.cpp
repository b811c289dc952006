#include "app/TFormCheck.h"

#include "app/TCheckHost.h"
#include "report/TConfigCheck.h"
#include "widgets/TDialogs.h"
#include "widgets/TSideWindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString Title = QStringLiteral("Проверка конфигурации");
const QString HowToSelect = QStringLiteral("Двойной щелчок выбирает узел замечания в дереве.");

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}
} // namespace

TFormCheck::TFormCheck(TCheckHost& host, QWidget* parent) : QWidget(parent, Qt::Window), m_host(host)
{
    setObjectName("FormCheck");
    setWindowTitle(Title);
    resize(720, 340);
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName("LabelSummary");
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
    layout->addWidget(m_summary);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_note);
    connect(m_list, &QTreeWidget::itemActivated, this, &TFormCheck::onActivated);
}

QString TFormCheck::summary() const
{
    return m_summary->text();
}

QString TFormCheck::note() const
{
    return m_note->text();
}

QString TFormCheck::errorsText(const std::vector<TConfigFinding>& findings)
{
    const int errors = TConfigCheck::errors(findings);
    QString text = QStringLiteral("Ошибок в конфигурации: %1\n").arg(errors);
    int shown = 0;
    for (const TConfigFinding& f : findings)
        if (f.error() && shown++ < BoxLines)
            text += '\n' + qs(f.line());
    if (errors > BoxLines)
        text += QStringLiteral("\nи ещё %1").arg(errors - BoxLines);
    return text + QStringLiteral("\n\nЗаписать конфигурацию в контроллер?");
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
    TSideWindow::bringUp(*this);
}

void TFormCheck::refreshIfShown()
{
    if (isVisible())
        refresh();
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
        item->setText(1, qs(f.where()));
        item->setText(2, qs(f.text));
        item->setToolTip(2, qs(f.text));
    }
    m_list->resizeColumnToContents(0);
    m_list->resizeColumnToContents(1);
    // The selection a finding made may have moved since.
    m_note->setText(HowToSelect);
}

void TFormCheck::onActivated(QTreeWidgetItem* item)
{
    const int row = m_list->indexOfTopLevelItem(item);
    if (row < 0 || static_cast<size_t>(row) >= m_findings.size())
        return;
    const TConfigFinding& finding = m_findings[static_cast<size_t>(row)];
    if (m_host.selectFindingNode(finding))
        m_note->setText(QStringLiteral("Выбран узел «%1».").arg(qs(finding.where())));
    else
        m_note->setText(QStringLiteral("Узел «%1» в дереве сейчас недоступен.").arg(qs(finding.where())));
}
