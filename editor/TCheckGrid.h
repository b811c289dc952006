#pragma once
// A grid of check boxes, one column per unit (splitter or relay module) and one
// row per output or relay, with headings. Box p stands in column p / rows and
// row p % rows, which is bit p of the mask the grid edits.

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

class QCheckBox;
class QLabel;

struct TCheckGridLayout {
    int columns;
    int rows;
    std::function<QString(int position)> boxName; // objectName of box p
    QString columnHeading;                        // over the column numbers
    QString rowHeading;                           // beside the row labels
    QString rowLabelPrefix;                       // "OUT" gives OUT1..OUT4
};

class TCheckGrid : public QWidget {
    Q_OBJECT
public:
    TCheckGrid(const TCheckGridLayout& layout, QWidget* parent = nullptr);
    // The 48 outputs of 12 splitters, boxes named CheckBox<first>..CheckBox<first + 47>.
    static TCheckGrid* outputGrid(int firstBoxNumber, const QString& columnHeading, QWidget* parent);

    int count() const { return static_cast<int>(m_boxes.size()); }
    QCheckBox* box(int position) const { return m_boxes.at(static_cast<size_t>(position)); }
    // Boxes of the first `units` columns are usable, the rest are not.
    void setUsableColumns(int units);
    // Shows the given states; unusable boxes are shown cleared.
    void showStates(const std::function<bool(int position)>& state);
    // A click on the number over a usable column is reported by columnClicked.
    void setColumnsClickable(const QString& toolTip);
    QLabel* columnHeading(int column) const { return m_headings.at(static_cast<size_t>(column)); }

signals:
    // A box changed state, by the user or by the program.
    void boxToggled(int position, bool checked);
    // The user clicked the number over usable column `column` (from 0).
    void columnClicked(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QCheckBox*> m_boxes;
    std::vector<QLabel*> m_headings;
    int m_rows;
    int m_usableColumns = 0;
    bool m_columnsClickable = false;
};
