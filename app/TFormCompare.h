#pragma once
// The differences between the project and another configuration (a project
// file, a backup, the controller's image), in the words and order of
// `kt7tool diff`: the other side's value before the arrow, the project's
// after it. The window is not modal and follows every change of the project
// while shown; a double-click (or Enter) on a line selects its node in the
// tree. The controller's side is what it held when it was read: once the
// controller may hold something else (written, or connected again), the
// window says since when its comparison may be out of date.

#include "project/TProject.h"
#include "report/TConfigDiffer.h"
#include "widgets/TSideWindow.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

class QLabel;
class QTreeWidget;
class TCompareHost;

class TFormCompare : public TSideWindow {
    Q_OBJECT
public:
    TFormCompare(TCompareHost& host, QWidget* parent);

    // "Сравнить с файлом…": a project file chosen in a file dialog.
    void compareWithFile();
    // "Сравнить с контроллером": the controller's image, read beside the project.
    void compareWithController();
    // A kept image of a controller, which has no names.
    void compareWithBackup(const TImage& image, const QString& fileName);
    // The controller may hold another configuration than the one read for
    // the comparison shown: a write has started, or the link has changed.
    void controllerChanged();

    QTreeWidget* list() const { return ListDifferences; }
    QString note() const;
    // Empty while the comparison is not known to be out of date.
    QString staleNote() const;
    // The lines shown, each with its node.
    const std::vector<TConfigDiffer::Line>& lines() const { return m_lines; }

private:
    // The other side with its names, or none when it has no names file;
    // shows the window with the differences.
    void compareWith(const TImage& image, const TConfigDiffer::Names* names, const QString& what,
                     const TSiteNames& site = {});
    void refresh();
    void onActivated(int row);

    TCompareHost& m_host;
    QLabel* m_summary;
    QLabel* m_stale;
    QLabel* m_names;
    QTreeWidget* ListDifferences;
    QLabel* m_note;
    TImage m_other;
    std::optional<TConfigDiffer::Names> m_otherNames;
    TSiteNames m_otherSite;
    QString m_what;
    bool m_compared = false;
    // When the controller shown was read; invalid for any other side.
    QDateTime m_controllerRead;
    std::vector<TConfigDiffer::Line> m_lines;
    TProject::Subscription m_subscription;
};
