#include "ui/ResultTableModel.h"

#include <algorithm>

namespace cvt {

namespace {
QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

bool ResultTableModel::isCell(const QModelIndex& index) const {
    // Views and testers ask about invalid indices too; they simply have no data.
    return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < rowCount() &&
           index.column() < columnCount();
}

ResultTableModel::ResultTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultTableModel::setColumnCaption(std::size_t column, const std::string& caption) {
    if (column >= m_table.columnCount()) {
        return;
    }
    m_table.setColumnCaption(column, caption);
    Q_EMIT headerDataChanged(Qt::Horizontal, static_cast<int>(column), static_cast<int>(column));
}

void ResultTableModel::alignSuffixColumns(const std::vector<ServerEntry>& entries) {
    // Tried first on the captions alone: most notifications change nothing. A change resets the
    // model, which keeps the views' bookkeeping simple and is cheap next to a run.
    ResultTable probe(m_table.captions().front());
    for (std::size_t column = 1; column < m_table.columnCount(); ++column) {
        probe.appendColumn(m_table.captions()[column]);
    }
    bool changed = false;
    probe.alignSuffixColumns(
        entries, [&](std::size_t) { changed = true; }, [&](const std::string&) { changed = true; });
    if (!changed) {
        return;
    }
    beginResetModel();
    m_table.alignSuffixColumns(entries);
    endResetModel();
}

void ResultTableModel::appendRows(const std::vector<AppendedRow>& rows) {
    if (rows.empty()) {
        return;
    }
    const int first = static_cast<int>(m_table.rowCount());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (const AppendedRow& row : rows) {
        m_table.appendRow(row.caption);
    }
    endInsertRows();
}

void ResultTableModel::appendRow(const std::string& caption, const std::vector<std::string>& cells) {
    const int at = static_cast<int>(m_table.rowCount());
    beginInsertRows({}, at, at);
    const std::size_t row = m_table.appendRow(caption);
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
        m_table.setCell(row, cell, cells[cell]);
    }
    endInsertRows();
}

void ResultTableModel::applyCells(const std::vector<AnsweredCell>& cells) {
    int top = -1;
    int bottom = -1;
    for (const AnsweredCell& cell : cells) {
        if (m_table.writeAnswer(cell.row, cell.suffix, cell.mark, cell.details) < 0) {
            continue;
        }
        const int row = static_cast<int>(cell.row);
        top = top < 0 ? row : std::min(top, row);
        bottom = std::max(bottom, row);
    }
    if (top >= 0 && columnCount() > 1) {
        Q_EMIT dataChanged(index(top, 1), index(bottom, columnCount() - 1), {Qt::DisplayRole, Qt::ToolTipRole});
    }
}

void ResultTableModel::clearRows() {
    if (m_table.rowCount() == 0) {
        return;
    }
    beginRemoveRows({}, 0, static_cast<int>(m_table.rowCount()) - 1);
    m_table.clearRows();
    endRemoveRows();
}

void ResultTableModel::removeRowsIf(const std::function<bool(const ResultRow&)>& predicate) {
    beginResetModel();
    m_table.removeRowsIf(predicate);
    endResetModel();
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_table.rowCount());
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_table.columnCount());
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
    if (!isCell(index)) {
        return {};
    }
    const ResultRow& row = m_table.rows()[static_cast<std::size_t>(index.row())];
    if (index.column() == 0) {
        return role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(fromUtf8(row.caption)) : QVariant();
    }
    const auto cell = static_cast<std::size_t>(index.column() - 1);
    if (role == Qt::ToolTipRole) {
        const std::string detail = row.detail(cell);
        return detail.empty() ? QVariant() : QVariant(fromUtf8(detail));
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    return cell < row.cells.size() ? fromUtf8(row.cells[cell]) : QString();
}

bool ResultTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != 0 || !isCell(index)) {
        return false;
    }
    const QByteArray caption = value.toString().toUtf8();
    m_table.setRowCaption(static_cast<std::size_t>(index.row()), caption.toStdString());
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const {
    if (!isCell(index)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        static_cast<std::size_t>(section) < m_table.columnCount()) {
        return fromUtf8(m_table.captions()[static_cast<std::size_t>(section)]);
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole) {
        return section + 1;
    }
    return {};
}

} // namespace cvt
