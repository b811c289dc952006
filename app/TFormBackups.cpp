#include "app/TFormBackups.h"

#include "app/TBackupsHost.h"
#include "image/TImage.h"
#include "project/TImageFile.h"
#include "widgets/TDialogs.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString Title = QStringLiteral("Резервные копии");
constexpr int PathRole = Qt::UserRole;

QString filePath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// 2026-12-08T07:27:24Z as the local date and time.
QString localTime(const std::string& utc)
{
    const QDateTime when = QDateTime::fromString(QString::fromStdString(utc), Qt::ISODate);
    return when.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

bool sameEntries(const std::vector<TBackupStore::Entry>& a, const std::vector<TBackupStore::Entry>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const TBackupStore::Entry& x, const TBackupStore::Entry& y) {
                          return x.path == y.path && x.reason == y.reason && x.project == y.project;
                      });
}

// Why a backup was kept, in the list's words.
QString reasonText(TBackupStore::Reason reason)
{
    switch (reason) {
    case TBackupStore::Reason::Read: return QStringLiteral("чтение");
    case TBackupStore::Reason::Write: return QStringLiteral("перед записью");
    case TBackupStore::Reason::Compare: return QStringLiteral("сравнение");
    case TBackupStore::Reason::Unknown: break;
    }
    return QString();
}
} // namespace

TFormBackups::TFormBackups(TBackupsHost& host, QWidget* parent)
    : TSideWindow(parent, "FormBackups", Title, {640, 360}), m_host(host)
{
    m_folder = addSummary("LabelFolder");
    m_folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ListBackups = new QTreeWidget(this);
    ListBackups->setObjectName("ListBackups");
    ListBackups->setRootIsDecorated(false);
    ListBackups->setHeaderLabels({QStringLiteral("Контроллер"), QStringLiteral("Дата и время"), QStringLiteral("Файл"),
                                  QStringLiteral("Причина"), QStringLiteral("Проект")});
    ListBackups->header()->setStretchLastSection(true);
    auto* buttons = new QHBoxLayout;
    const auto addButton
        = [&](QPushButton*& button, const char* name, const QString& caption, void (TFormBackups::*click)()) {
              button = new QPushButton(caption, this);
              button->setObjectName(name);
              connect(button, &QPushButton::clicked, this, click);
              buttons->addWidget(button);
          };
    addButton(BtnBackupCompare, "BtnBackupCompare", QStringLiteral("Сравнить с проектом"),
              &TFormBackups::BtnBackupCompareClick);
    addButton(BtnBackupOpen, "BtnBackupOpen", QStringLiteral("Открыть как проект"), &TFormBackups::BtnBackupOpenClick);
    addButton(BtnBackupWrite, "BtnBackupWrite", QStringLiteral("Записать в контроллер"),
              &TFormBackups::BtnBackupWriteClick);
    buttons->addStretch(1);
    column()->addWidget(ListBackups, 1);
    column()->addLayout(buttons);
    connect(ListBackups, &QTreeWidget::currentItemChanged, this, &TFormBackups::updateButtons);
    setRowAction(ListBackups, [this](const QModelIndex&) { BtnBackupCompareClick(); });

    m_poll = new QTimer(this);
    m_poll->setInterval(PollMs);
    connect(m_poll, &QTimer::timeout, this, &TFormBackups::refresh);
    updateButtons();
}

QString TFormBackups::folderText() const
{
    return m_folder->text();
}

void TFormBackups::showBackups()
{
    refresh();
    bringUp();
}

void TFormBackups::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_poll->start();
}

void TFormBackups::hideEvent(QHideEvent* event)
{
    m_poll->stop();
    QWidget::hideEvent(event);
}

void TFormBackups::refresh()
{
    std::vector<TBackupStore::Entry> entries;
    bool missing = false;
    const TFileResult listed = TBackupStore::list(entries, &missing);
    const QString folder = filePath(TBackupStore::folder());
    if (!listed)
        m_folder->setText(QStringLiteral("Папку резервных копий %1 не удалось прочитать: %2")
                              .arg(folder, QString::fromStdString(listed.reason())));
    else if (missing)
        m_folder->setText(
            QStringLiteral("Папки резервных копий %1 нет: копия появится после первого чтения или записи.")
                .arg(folder));
    else if (entries.empty())
        m_folder->setText(QStringLiteral("В папке %1 нет резервных копий.").arg(folder));
    else
        m_folder->setText(QStringLiteral("Папка: %1").arg(folder));
    if (sameEntries(entries, m_entries) && ListBackups->topLevelItemCount() == static_cast<int>(entries.size()))
        return;

    const QTreeWidgetItem* current = ListBackups->currentItem();
    const QString chosen = current ? current->data(0, PathRole).toString() : QString();
    m_entries = std::move(entries);
    ListBackups->clear();
    QTreeWidgetItem* again = nullptr;
    for (const TBackupStore::Entry& e : m_entries) {
        auto* item = new QTreeWidgetItem(ListBackups);
        const QString path = filePath(e.path);
        item->setText(0, QString::fromStdString(e.serial));
        item->setText(1, localTime(e.time));
        item->setText(2, QFileInfo(path).fileName());
        item->setToolTip(2, path);
        item->setText(3, reasonText(e.reason));
        item->setText(4, QString::fromStdString(e.project));
        item->setData(0, PathRole, path);
        if (path == chosen)
            again = item;
    }
    for (const int column : {0, 1, 2, 3})
        ListBackups->resizeColumnToContents(column);
    ListBackups->setCurrentItem(again ? again : ListBackups->topLevelItem(0));
    updateButtons();
}

void TFormBackups::updateButtons()
{
    const bool chosen = ListBackups->currentItem() != nullptr;
    BtnBackupCompare->setEnabled(chosen);
    BtnBackupOpen->setEnabled(chosen);
    BtnBackupWrite->setEnabled(chosen);
}

bool TFormBackups::chosenImage(TImage& image, TBackupStore::Entry& entry)
{
    const int row = ListBackups->indexOfTopLevelItem(ListBackups->currentItem());
    if (row < 0 || static_cast<size_t>(row) >= m_entries.size())
        return false;
    entry = m_entries[static_cast<size_t>(row)];
    // Listed as a whole image, it may have gone or changed since.
    const TFileResult read = TImageFile::read(entry.path, image);
    if (!read || QFileInfo(filePath(entry.path)).size() != TImage::Size) {
        Dlg::error(QStringLiteral("Резервную копию %1 не удалось прочитать: %2")
                       .arg(filePath(entry.path),
                            read ? QStringLiteral("в файле не 2048 байт") : QString::fromStdString(read.reason())));
        refresh();
        return false;
    }
    return true;
}

void TFormBackups::BtnBackupCompareClick()
{
    TImage image;
    TBackupStore::Entry entry;
    if (chosenImage(image, entry))
        m_host.compareWithBackup(image, QFileInfo(filePath(entry.path)).fileName());
}

void TFormBackups::BtnBackupOpenClick()
{
    TImage image;
    TBackupStore::Entry entry;
    if (chosenImage(image, entry))
        m_host.openBackup(image, QString::fromStdString(entry.projectName()));
}

void TFormBackups::BtnBackupWriteClick()
{
    TImage image;
    TBackupStore::Entry entry;
    if (chosenImage(image, entry))
        m_host.writeBackup(image, entry.serial);
}
