#include "ui/ServerTableModel.h"

namespace cvt {

namespace {
QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

bool ServerTableModel::isCell(const QModelIndex& index) const {
    // Views and testers ask about invalid indices too; they simply have no data.
    return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < rowCount() &&
           index.column() < columnCount();
}

ServerTableModel::ServerTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ServerTableModel::setEntries(std::vector<ServerEntry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

void ServerTableModel::setTicked(int row, bool ticked) {
    if (row < 0 || row >= rowCount() || m_entries[static_cast<std::size_t>(row)].ticked == ticked) {
        return;
    }
    m_entries[static_cast<std::size_t>(row)].ticked = ticked;
    const QModelIndex cell = index(row, 0);
    Q_EMIT dataChanged(cell, cell, {Qt::CheckStateRole});
    Q_EMIT tickChanged(row);
}

void ServerTableModel::setHeaders(const QString& suffixCaption, const QString& serverCaption) {
    m_headers[0] = suffixCaption;
    m_headers[1] = serverCaption;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 1);
}

int ServerTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int ServerTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant ServerTableModel::data(const QModelIndex& index, int role) const {
    if (!isCell(index)) {
        return {};
    }
    const ServerEntry& entry = m_entries[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return fromUtf8(index.column() == 0 ? entry.caption : entry.host);
    }
    if (role == Qt::CheckStateRole && index.column() == 0) {
        return entry.ticked ? Qt::Checked : Qt::Unchecked;
    }
    return {};
}

bool ServerTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!isCell(index)) {
        return false;
    }
    if (role == Qt::CheckStateRole && index.column() == 0) {
        setTicked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
        return true;
    }
    if (role == Qt::EditRole && index.column() == 0) {
        const QByteArray caption = value.toString().toUtf8();
        m_entries[static_cast<std::size_t>(index.row())].caption.assign(caption.constData(),
                                                                        static_cast<std::size_t>(caption.size()));
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        Q_EMIT captionEdited(index.row());
        return true;
    }
    return false;
}

Qt::ItemFlags ServerTableModel::flags(const QModelIndex& index) const {
    if (!isCell(index)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) {
        result |= Qt::ItemIsUserCheckable | Qt::ItemIsEditable;
    }
    return result;
}

QVariant ServerTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 2) {
        return m_headers[section];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace cvt
