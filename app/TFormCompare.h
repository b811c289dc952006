#pragma once
// The differences between the project and another configuration (a project
// file, a backup, the controller's image), in the words and order of
// `kt7tool diff`: the other side's value before the arrow, the project's
// after it. The window is not modal and follows every change of the project
// while shown; a double-click (or Enter) on a line selects its node in the
// tree.

#include "report/TConfigDiffer.h"

#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class TCompareHost;

class TFormCompare : public QWidget {
    Q_OBJECT
public:
    TFormCompare(TCompareHost& host, QWidget* parent);

    // "Сравнить с файлом…": a project file chosen in a file dialog.
    void compareWithFile();
    // "Сравнить с контроллером": the controller's image, read beside the project.
    void compareWithController();
    // A kept image of a controller, which has no names.
    void compareWithBackup(const TImage& image, const QString& fileName);

    QTreeWidget* list() const { return ListDifferences; }
    QString summary() const;
    QString note() const;
    // The lines shown, each with its node.
    const std::vector<TConfigDiffer::Line>& lines() const { return m_lines; }

private:
    // The other side with its names, or none when it has no names file;
    // shows the window with the differences.
    void compareWith(const TImage& image, const TConfigDiffer::Names* names, const QString& what,
                     const TSiteNames& site = {});
    void refresh();
    void onActivated(QTreeWidgetItem* item);

    TCompareHost& m_host;
    QLabel* m_summary;
    QLabel* m_names;
    QTreeWidget* ListDifferences;
    QLabel* m_note;
    TImage m_other;
    std::optional<TConfigDiffer::Names> m_otherNames;
    TSiteNames m_otherSite;
    QString m_what;
    bool m_compared = false;
    std::vector<TConfigDiffer::Line> m_lines;
};
