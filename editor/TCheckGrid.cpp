#include "editor/TCheckGrid.h"

#include "image/ImageLayout.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>

TCheckGrid::TCheckGrid(const TCheckGridLayout& layout, QWidget* parent) : QWidget(parent), m_rows(layout.rows)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* heading = new QLabel(layout.columnHeading, this);
    heading->setAlignment(Qt::AlignCenter);
    outer->addWidget(heading);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    grid->addWidget(new QLabel(layout.rowHeading, this), 0, 0);
    for (int c = 0; c < layout.columns; ++c) {
        auto* number = new QLabel(QString::number(c + 1), this);
        number->setAlignment(Qt::AlignCenter);
        grid->addWidget(number, 0, c + 1);
        m_headings.push_back(number);
    }
    for (int r = 0; r < layout.rows; ++r)
        grid->addWidget(new QLabel(layout.rowLabelPrefix + QString::number(r + 1), this), r + 1, 0);

    const int total = layout.columns * layout.rows;
    m_boxes.reserve(static_cast<size_t>(total));
    for (int p = 0; p < total; ++p) {
        auto* box = new QCheckBox(this);
        box->setObjectName(layout.boxName(p));
        box->setProperty("Tag", p);
        grid->addWidget(box, p % layout.rows + 1, p / layout.rows + 1, Qt::AlignCenter);
        connect(box, &QCheckBox::toggled, this, [this, p](bool on) { emit boxToggled(p, on); });
        m_boxes.push_back(box);
    }
    outer->addLayout(grid);
}

TCheckGrid* TCheckGrid::outputGrid(int firstBoxNumber, const QString& columnHeading, QWidget* parent)
{
    return new TCheckGrid({Layout::Splitters, Layout::OutputsPerSplitter,
                           [firstBoxNumber](int p) { return QStringLiteral("CheckBox%1").arg(firstBoxNumber + p); },
                           columnHeading, QStringLiteral("  Выход"), QStringLiteral("OUT")},
                          parent);
}

void TCheckGrid::setUsableColumns(int units)
{
    m_usableColumns = units;
    // Numbers that can be clicked look usable only over usable columns.
    if (m_columnsClickable)
        for (size_t c = 0; c < m_headings.size(); ++c)
            m_headings[c]->setEnabled(static_cast<int>(c) < units);
    for (int p = 0; p < count(); ++p)
        m_boxes[static_cast<size_t>(p)]->setEnabled(p < units * m_rows);
}

void TCheckGrid::showStates(const std::function<bool(int position)>& state)
{
    for (int p = 0; p < count(); ++p) {
        QCheckBox* b = m_boxes[static_cast<size_t>(p)];
        b->setChecked(b->isEnabled() && state(p));
    }
}

void TCheckGrid::setColumnsClickable(const QString& toolTip)
{
    m_columnsClickable = true;
    for (QLabel* heading : m_headings) {
        heading->setToolTip(toolTip);
        heading->setCursor(Qt::PointingHandCursor);
        heading->installEventFilter(this);
    }
}

bool TCheckGrid::eventFilter(QObject* watched, QEvent* event)
{
    const auto found = std::find(m_headings.begin(), m_headings.end(), watched);
    if (found != m_headings.end() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto column = static_cast<int>(found - m_headings.begin());
        // A click: released with the left button over the number it was pressed on.
        if (mouse->button() == Qt::LeftButton && (*found)->rect().contains(mouse->position().toPoint())
            && column < m_usableColumns) {
            emit columnClicked(column);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
