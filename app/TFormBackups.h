#pragma once
// The controllers' kept images, newest first: the controller's serial
// characters, the local date and time, the file, why it was kept (a read, a
// write, a comparison) and the project it was kept for where known, for
// every image that can be put back. The chosen one is compared with the project, opened as the
// project or written to the controller. The list follows new backups while
// the window is shown, and says when the folder is missing or unreadable.
// Enter or a double-click on a backup compares it with the project.

#include "project/TBackupStore.h"
#include "widgets/TSideWindow.h"

#include <vector>

class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;
class TBackupsHost;
class TImage;

class TFormBackups : public TSideWindow {
    Q_OBJECT
public:
    // How often the shown list looks for new backups.
    static constexpr int PollMs = 1000;

    TFormBackups(TBackupsHost& host, QWidget* parent);

    // Shows the window with the list brought up to date and raises it.
    void showBackups();
    // The list again from the folder; the chosen backup stays chosen.
    void refresh();

    QTreeWidget* list() const { return ListBackups; }
    QString folderText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The chosen backup's image; false, after telling the user, when it
    // cannot be read.
    bool chosenImage(TImage& image, TBackupStore::Entry& entry);
    void BtnBackupCompareClick();
    void BtnBackupOpenClick();
    void BtnBackupWriteClick();
    void updateButtons();

    TBackupsHost& m_host;
    QLabel* m_folder;
    QTreeWidget* ListBackups;
    QPushButton* BtnBackupCompare;
    QPushButton* BtnBackupOpen;
    QPushButton* BtnBackupWrite;
    QTimer* m_poll;
    std::vector<TBackupStore::Entry> m_entries;
    QString m_folderState;
};
