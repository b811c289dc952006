#include "app/TFormCompare.h"

#include "app/TCompareHost.h"
#include "app/TFilePlaces.h"
#include "app/TFileWords.h"
#include "project/TProject.h"
#include "project/TProjectFiles.h"
#include "widgets/TDialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString Title = QStringLiteral("Сравнение");
const QString NoDifferences = QStringLiteral("Нет различий");
const QString HowToSelect = QStringLiteral("Двойной щелчок или Enter выбирает узел строки в дереве.");
const QString ProjectFilter = QStringLiteral("*.usr|*.usr");
const QString Stale = QStringLiteral("Сравнение может быть устаревшим: контроллер прочитан в %1, после этого в него "
                                     "записывали или подключались заново. Сравнить снова: Shift+F9.");
} // namespace

TFormCompare::TFormCompare(TCompareHost& host, QWidget* parent)
    : TSideWindow(parent, "FormCompare", Title, {720, 400}), m_host(host)
{
    m_summary = addSummary();
    m_stale = new QLabel(this);
    m_stale->setObjectName("LabelStale");
    m_stale->setWordWrap(true);
    m_stale->setStyleSheet(QStringLiteral("color: #a33"));
    m_stale->hide();
    m_names = new QLabel(this);
    m_names->setObjectName("LabelNames");
    m_names->setWordWrap(true);
    m_names->hide();
    ListDifferences = new QTreeWidget(this);
    ListDifferences->setObjectName("ListDifferences");
    ListDifferences->setRootIsDecorated(false);
    ListDifferences->setHeaderHidden(true);
    m_note = new QLabel(HowToSelect, this);
    m_note->setObjectName("LabelNote");
    column()->addWidget(m_stale);
    column()->addWidget(m_names);
    column()->addWidget(ListDifferences, 1);
    column()->addWidget(m_note);
    setRowAction(ListDifferences, [this](const QModelIndex& index) { onActivated(index.row()); });
    m_subscription = m_host.project().subscribe([this](TProject::Change change, int) {
        if (change != TProject::Change::Saved && m_compared && isVisible())
            refresh();
    });
}

QString TFormCompare::staleNote() const
{
    return m_stale->isHidden() ? QString() : m_stale->text();
}

void TFormCompare::controllerChanged()
{
    if (!m_controllerRead.isValid() || !m_stale->isHidden())
        return;
    m_stale->setText(Stale.arg(m_controllerRead.toString(QStringLiteral("HH:mm:ss"))));
    m_stale->show();
}

QString TFormCompare::note() const
{
    return m_note->text();
}

void TFormCompare::compareWithFile()
{
    const QString chosen = TDialogs::current().openFile(
        m_host.filePlaces().request(ProjectFilter, QString(), TFilePlaces::Proposal::None));
    if (chosen.isEmpty())
        return;
    m_host.filePlaces().chosen(chosen);
    TProject file;
    const TProjectFiles::Opened opened = TProjectFiles::open(QFile::encodeName(chosen).toStdString(), file);
    if (!opened.image) {
        Dlg::error(QStringLiteral("Unable to open %1\n%2")
                       .arg(QFile::decodeName(QByteArray::fromStdString(opened.image.fileName())),
                            TFileWords::reason(opened.image)));
        return;
    }
    // Names that cannot be read leave the file's names unknown, as a file
    // without a names file has them, and the user learns why.
    if (!opened.names)
        Dlg::error(QStringLiteral("Unable to read %1\n%2")
                       .arg(QFile::decodeName(QByteArray::fromStdString(opened.names.fileName())),
                            TFileWords::reason(opened.names)));
    const bool named = opened.namesKnown && opened.names;
    compareWith(file.image(), named ? &file.names() : nullptr,
                QStringLiteral("файл %1").arg(QFileInfo(chosen).fileName()), file.siteNames());
}

void TFormCompare::compareWithController()
{
    m_host.readAside([this](const TImage& image) {
        compareWith(image, nullptr, QStringLiteral("контроллер"));
        m_controllerRead = QDateTime::currentDateTime();
    });
}

void TFormCompare::compareWithBackup(const TImage& image, const QString& fileName)
{
    compareWith(image, nullptr, QStringLiteral("резервная копия %1").arg(fileName));
}

void TFormCompare::compareWith(const TImage& image, const TConfigDiffer::Names* names, const QString& what,
                               const TSiteNames& site)
{
    m_other = image;
    m_otherNames = names ? std::optional(*names) : std::nullopt;
    m_otherSite = site;
    m_what = what;
    m_compared = true;
    m_controllerRead = QDateTime();
    m_stale->hide();
    refresh();
    bringUp();
}

void TFormCompare::refresh()
{
    const TProject& project = m_host.project();
    m_lines = TConfigDiffer::compare(m_other, m_otherNames ? &*m_otherNames : nullptr, project.image(),
                                     &project.names(), &m_otherSite, &project.siteNames());
    const QString sides = QStringLiteral("До стрелки и в строках «-»: %1; после стрелки и в строках «+»: проект «%2».")
                              .arg(m_what, text(project.name()));
    m_summary->setText(m_lines.empty() ? NoDifferences + ". " + sides
                                       : QStringLiteral("Различий: %1. ").arg(m_lines.size()) + sides);
    // Names are compared only where both sides have them, as kt7tool diff
    // compares them.
    m_names->setText(
        QStringLiteral("У стороны «%1» нет файла имён: имена алгоритмов неизвестны и не сравниваются.").arg(m_what));
    m_names->setVisible(!m_otherNames);
    ListDifferences->clear();
    for (const TConfigDiffer::Line& line : m_lines) {
        auto* item = new QTreeWidgetItem(ListDifferences, {text(line.text)});
        item->setToolTip(0, line.node ? text(line.node->where()) : QStringLiteral("Байты образа, не узел дерева"));
    }
    if (m_lines.empty()) {
        auto* item = new QTreeWidgetItem(ListDifferences, {NoDifferences});
        item->setFlags(Qt::NoItemFlags);
    }
    m_note->setText(HowToSelect);
}

void TFormCompare::onActivated(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= m_lines.size())
        return;
    const TConfigDiffer::Line& line = m_lines[static_cast<size_t>(row)];
    if (!line.node)
        m_note->setText(QStringLiteral("Строка байтов не относится к узлу дерева."));
    else
        m_note->setText(nodeNote(m_host.selectFindingNode(*line.node), text(line.node->where())));
}
