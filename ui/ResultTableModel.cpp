#include "ui/ResultTableModel.h"

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

void ResultTableModel::reset(ResultTableSnapshot snapshot) {
    beginResetModel();
    m_captions = std::move(snapshot.captions);
    m_rows = std::move(snapshot.rows);
    endResetModel();
}

void ResultTableModel::appendColumn(const std::string& caption) {
    const int at = static_cast<int>(m_captions.size());
    beginInsertColumns({}, at, at);
    m_captions.push_back(caption);
    endInsertColumns();
}

void ResultTableModel::removeColumn(std::size_t column) {
    if (column == 0 || column >= m_captions.size()) {
        return;
    }
    beginRemoveColumns({}, static_cast<int>(column), static_cast<int>(column));
    m_captions.erase(m_captions.begin() + static_cast<std::ptrdiff_t>(column));
    for (ResultRow& row : m_rows) {
        if (row.cells.size() >= column) {
            row.cells.erase(row.cells.begin() + static_cast<std::ptrdiff_t>(column - 1));
        }
    }
    endRemoveColumns();
}

void ResultTableModel::setColumnCaption(std::size_t column, const std::string& caption) {
    if (column >= m_captions.size()) {
        return;
    }
    m_captions[column] = caption;
    Q_EMIT headerDataChanged(Qt::Horizontal, static_cast<int>(column), static_cast<int>(column));
}

void ResultTableModel::appendRows(std::vector<ResultRow> rows) {
    if (rows.empty()) {
        return;
    }
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    if (m_rows.empty()) {
        m_rows = std::move(rows);
    } else {
        m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    }
    endInsertRows();
}

void ResultTableModel::removeRows(const std::vector<std::size_t>& ascendingRows) {
    // Contiguous runs are removed together, from the bottom up, so the indices below stay valid.
    std::size_t end = ascendingRows.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && ascendingRows[begin - 1] + 1 == ascendingRows[begin]) {
            --begin;
        }
        const std::size_t first = ascendingRows[begin];
        const std::size_t last = ascendingRows[end - 1];
        if (last < m_rows.size()) {
            beginRemoveRows({}, static_cast<int>(first), static_cast<int>(last));
            m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(first),
                         m_rows.begin() + static_cast<std::ptrdiff_t>(last) + 1);
            endRemoveRows();
        }
        end = begin;
    }
}

void ResultTableModel::clearRows() {
    if (m_rows.empty()) {
        return;
    }
    beginRemoveRows({}, 0, static_cast<int>(m_rows.size()) - 1);
    m_rows.clear();
    m_rows.shrink_to_fit();
    endRemoveRows();
}

void ResultTableModel::setRowCaption(std::size_t row, const std::string& caption) {
    if (row >= m_rows.size()) {
        return;
    }
    m_rows[row].caption = caption;
    const QModelIndex cell = index(static_cast<int>(row), 0);
    Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

void ResultTableModel::setCell(std::size_t row, std::size_t cell, const std::string& mark) {
    if (row >= m_rows.size()) {
        return;
    }
    m_rows[row].setCell(cell, mark);
    if (cell + 1 < m_captions.size()) {
        const QModelIndex changed = index(static_cast<int>(row), static_cast<int>(cell + 1));
        Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole});
    }
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_captions.size());
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
    if (!isCell(index)) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    const ResultRow& row = m_rows[static_cast<std::size_t>(index.row())];
    if (index.column() == 0) {
        return fromUtf8(row.caption);
    }
    const auto cell = static_cast<std::size_t>(index.column() - 1);
    return cell < row.cells.size() ? fromUtf8(row.cells[cell]) : QString();
}

bool ResultTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (m_source == nullptr || role != Qt::EditRole || index.column() != 0 || !isCell(index)) {
        return false;
    }
    const QByteArray caption = value.toString().toUtf8();
    m_source->setRowCaption(static_cast<std::size_t>(index.row()), caption.toStdString());
    return true;
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const {
    if (!isCell(index)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0 && m_source != nullptr) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        static_cast<std::size_t>(section) < m_captions.size()) {
        return fromUtf8(m_captions[static_cast<std::size_t>(section)]);
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole) {
        return section + 1;
    }
    return {};
}

} // namespace cvt
