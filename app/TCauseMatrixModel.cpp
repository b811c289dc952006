#include "app/TCauseMatrixModel.h"

#include <QBrush>
#include <QColor>

#include <algorithm>

namespace {
using Node = TConfigFinding::Node;

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// A column's head on as many lines as its longest word needs, so that a
// column stays narrow: "LB1\nOUT1", "Релейный\nмодуль\n№1 K2", "Реле в\nKT7-CU\nK1".
QString columnHead(const TCauseMatrix::Column& c)
{
    const QStringList words = qs(c.head).split(' ', Qt::SkipEmptyParts);
    qsizetype longest = 0;
    for (const QString& word : words)
        longest = std::max(longest, word.size());
    QString out;
    QString line;
    for (const QString& word : words) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > longest) {
            out += line + '\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return out + line;
}
} // namespace

const QColor TCauseMatrixModel::Unused(244, 214, 214);
const QColor TCauseMatrixModel::Shaded(230, 230, 230);

TCauseMatrixModel::TCauseMatrixModel(Table table, QObject* parent) : QAbstractTableModel(parent), m_table(table)
{
}

void TCauseMatrixModel::show(const TCauseMatrix& matrix)
{
    const int oldRows = rowCount();
    const int oldColumns = columnCount();
    const bool sameShape = [&] {
        if (matrix.columns.size() != m_matrix.columns.size())
            return false;
        if (m_table == Table::Zones)
            return matrix.zones.size() == m_matrix.zones.size();
        return matrix.rows.size() == m_matrix.rows.size();
    }();
    if (!sameShape) {
        beginResetModel();
        m_matrix = matrix;
        endResetModel();
        return;
    }
    m_matrix = matrix;
    if (oldRows > 0 && oldColumns > 0)
        emit dataChanged(index(0, 0), index(oldRows - 1, oldColumns - 1));
    if (oldColumns > 0)
        emit headerDataChanged(Qt::Horizontal, 0, oldColumns - 1);
    if (oldRows > 0)
        emit headerDataChanged(Qt::Vertical, 0, oldRows - 1);
}

int TCauseMatrixModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(m_table == Table::Zones ? m_matrix.zones.size() : m_matrix.rows.size());
}

int TCauseMatrixModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_matrix.columns.size());
}

bool TCauseMatrixModel::unusedRow(int row) const
{
    return m_table == Table::Algorithms && !m_matrix.rows.at(static_cast<size_t>(row)).switches;
}

QVariant TCauseMatrixModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const auto r = static_cast<size_t>(index.row());
    const auto c = static_cast<size_t>(index.column());
    const TCauseMatrix::Column& column = m_matrix.columns.at(c);
    switch (role) {
    case Qt::DisplayRole:
        if (m_table == Table::Zones)
            return m_matrix.zones.at(r).cells.at(c) ? QString(TCauseMatrix::ZoneMark) : QString();
        return qs(m_matrix.cell(r, c));
    case Qt::ToolTipRole:
        if (m_table == Table::Zones)
            return qs(m_matrix.zones.at(r).head + " → " + column.named());
        return qs(m_matrix.detail(r, c));
    case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
    case Qt::BackgroundRole:
        if (!column.used || unusedRow(index.row()))
            return QBrush(Unused);
        // Every second splitter and relay module, as the report shades them.
        if (column.kind != TCauseMatrix::Kind::K1 && column.kind != TCauseMatrix::Kind::K2 && column.unit % 2 == 0)
            return QBrush(Shaded);
        return {};
    default: return {};
    }
}

QVariant TCauseMatrixModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount())
            return {};
        const TCauseMatrix::Column& column = m_matrix.columns.at(static_cast<size_t>(section));
        // The site's name of a zone or relay under its head.
        if (role == Qt::DisplayRole)
            return column.name.empty() ? columnHead(column) : columnHead(column) + '\n' + qs(column.name);
        if (role == Qt::ToolTipRole)
            return column.used ? qs(column.named())
                               : qs(column.named()) + QStringLiteral(": ни один алгоритм не включает");
        if (role == Qt::ForegroundRole && !column.used)
            return QBrush(QColor(160, 40, 40));
        return {};
    }
    if (section < 0 || section >= rowCount())
        return {};
    const auto r = static_cast<size_t>(section);
    if (role == Qt::DisplayRole && m_table == Table::Zones)
        return qs(m_matrix.zones.at(r).head);
    // What triggers the input under its head, as a column's name is.
    if (role == Qt::DisplayRole) {
        const TCauseMatrix::Row& row = m_matrix.rows.at(r);
        return row.cause.empty() ? qs(row.head) : qs(row.head) + '\n' + qs(row.cause);
    }
    if (role == Qt::ToolTipRole && m_table == Table::Algorithms) {
        const TAlarmPlan::Input& plan = m_matrix.rows.at(r).plan;
        QString tip = qs(m_matrix.rows.at(r).head);
        if (!m_matrix.rows.at(r).switches)
            tip += QStringLiteral(": ничего не включает");
        if (const std::string& cause = m_matrix.rows.at(r).cause; !cause.empty())
            tip += QStringLiteral("\nИсточник сигнала: ") + qs(cause);
        if (const std::string idle = plan.idleText(); !idle.empty())
            tip += '\n' + qs(idle);
        return tip;
    }
    if (role == Qt::ForegroundRole && unusedRow(section))
        return QBrush(QColor(160, 40, 40));
    return {};
}

QStringList TCauseMatrixModel::columnTexts(int column) const
{
    const auto c = static_cast<size_t>(column);
    QStringList texts;
    if (m_table == Table::Zones) {
        if (std::any_of(m_matrix.zones.begin(), m_matrix.zones.end(),
                        [c](const TCauseMatrix::ZoneRow& z) { return z.cells.at(c); }))
            texts << QString(TCauseMatrix::ZoneMark);
        return texts;
    }
    // A cell shows a set of stages 1..5: one text for each set met.
    uint32_t seen = 0;
    for (size_t r = 0; r < m_matrix.rows.size(); ++r) {
        unsigned stages = 0;
        for (const int k : m_matrix.rows[r].cells.at(c))
            stages |= 1u << k;
        if (stages != 0 && (seen & (1u << (stages >> 1))) == 0) {
            seen |= 1u << (stages >> 1);
            texts << qs(m_matrix.cell(r, c));
        }
    }
    return texts;
}

TConfigFinding TCauseMatrixModel::nodeAt(int row, int column) const
{
    TConfigFinding node;
    const auto r = static_cast<size_t>(row);
    if (m_table == Table::Zones) {
        node.node = m_matrix.zones.at(r).node;
        node.number = m_matrix.zones.at(r).number;
        return node;
    }
    const TCauseMatrix::Row& line = m_matrix.rows.at(r);
    node.node = Node::Input;
    node.number = line.plan.number;
    if (column >= 0 && !line.cells.at(static_cast<size_t>(column)).empty()) {
        node.node = Node::Stage;
        node.stage = line.cells.at(static_cast<size_t>(column)).front();
    }
    return node;
}
