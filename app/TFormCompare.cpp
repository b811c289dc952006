#include "app/TFormCompare.h"

#include "app/TCompareHost.h"
#include "project/TProject.h"
#include "project/TProjectFiles.h"
#include "widgets/TDialogs.h"
#include "widgets/TSideWindow.h"

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

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}
} // namespace

TFormCompare::TFormCompare(TCompareHost& host, QWidget* parent) : QWidget(parent, Qt::Window), m_host(host)
{
    setObjectName("FormCompare");
    setWindowTitle(Title);
    resize(720, 400);
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName("LabelSummary");
    m_summary->setWordWrap(true);
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
    layout->addWidget(m_summary);
    layout->addWidget(m_names);
    layout->addWidget(ListDifferences, 1);
    layout->addWidget(m_note);
    connect(ListDifferences, &QTreeWidget::itemActivated, this, &TFormCompare::onActivated);
    m_host.project().subscribe([this](TProject::Change, int) {
        if (m_compared && isVisible())
            refresh();
    });
}

QString TFormCompare::summary() const
{
    return m_summary->text();
}

QString TFormCompare::note() const
{
    return m_note->text();
}

void TFormCompare::compareWithFile()
{
    const QString chosen = TDialogs::current().openFile({ProjectFilter, QString(), QString(), QString()});
    if (chosen.isEmpty())
        return;
    TProject file;
    const TProjectFiles::Opened opened = TProjectFiles::open(QFile::encodeName(chosen).toStdString(), file);
    if (!opened.image) {
        Dlg::error(
            QStringLiteral("Unable to open %1\n%2")
                .arg(QFile::decodeName(QByteArray::fromStdString(opened.image.fileName())), qs(opened.image.reason())));
        return;
    }
    // Names that cannot be read leave the file's names unknown, as a file
    // without a names file has them.
    const bool named = opened.namesKnown && opened.names;
    compareWith(file.image(), named ? &file.names() : nullptr,
                QStringLiteral("файл %1").arg(QFileInfo(chosen).fileName()), file.siteNames());
}

void TFormCompare::compareWithController()
{
    m_host.readAside([this](const TImage& image) { compareWith(image, nullptr, QStringLiteral("контроллер")); });
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
    refresh();
    TSideWindow::bringUp(*this);
}

void TFormCompare::refresh()
{
    const TProject& project = m_host.project();
    m_lines = TConfigDiffer::compare(m_other, m_otherNames ? &*m_otherNames : nullptr, project.image(),
                                     &project.names(), &m_otherSite, &project.siteNames());
    const QString sides = QStringLiteral("До стрелки и в строках «-»: %1; после стрелки и в строках «+»: проект «%2».")
                              .arg(m_what, qs(project.name()));
    m_summary->setText(m_lines.empty() ? NoDifferences + ". " + sides
                                       : QStringLiteral("Различий: %1. ").arg(m_lines.size()) + sides);
    // Names are compared only where both sides have them, as kt7tool diff
    // compares them.
    m_names->setText(
        QStringLiteral("У стороны «%1» нет файла имён: имена алгоритмов неизвестны и не сравниваются.").arg(m_what));
    m_names->setVisible(!m_otherNames);
    ListDifferences->clear();
    for (const TConfigDiffer::Line& line : m_lines) {
        auto* item = new QTreeWidgetItem(ListDifferences, {qs(line.text)});
        item->setToolTip(0, line.node ? qs(line.node->where()) : QStringLiteral("Байты образа, не узел дерева"));
    }
    if (m_lines.empty()) {
        auto* item = new QTreeWidgetItem(ListDifferences, {NoDifferences});
        item->setFlags(Qt::NoItemFlags);
    }
    m_note->setText(HowToSelect);
}

void TFormCompare::onActivated(QTreeWidgetItem* item)
{
    const int row = ListDifferences->indexOfTopLevelItem(item);
    if (row < 0 || static_cast<size_t>(row) >= m_lines.size())
        return;
    const TConfigDiffer::Line& line = m_lines[static_cast<size_t>(row)];
    if (!line.node)
        m_note->setText(QStringLiteral("Строка байтов не относится к узлу дерева."));
    else if (m_host.selectFindingNode(*line.node))
        m_note->setText(QStringLiteral("Выбран узел «%1».").arg(qs(line.node->where())));
    else
        m_note->setText(QStringLiteral("Узел «%1» в дереве сейчас недоступен.").arg(qs(line.node->where())));
}
