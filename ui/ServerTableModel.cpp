#include "ui/ServerTableModel.h"

#include "config/CalibrationFile.h"
#include "ui/UiText.h"

#include <algorithm>

namespace cvt {

namespace {

Msg askedByWord(AskedBy askedBy) {
    switch (askedBy) {
    case AskedBy::Rdap:
        return Msg::AskedRdap;
    case AskedBy::WhoisKnownText:
        return Msg::AskedWhois;
    case AskedBy::WhoisCalibrated:
        return Msg::AskedWhoisCalibrated;
    case AskedBy::ConfigIni:
        break;
    }
    return Msg::AskedConfigIni;
}

} // namespace

bool ServerTableModel::isCell(const QModelIndex& index) const {
    // Views and testers ask about invalid indices too; they simply have no data.
    return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < rowCount() &&
           index.column() < columnCount();
}

ServerTableModel::ServerTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ServerTableModel::setRows(std::vector<Row> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    m_ticks.assign(m_rows.size(), 0);
    m_search.assign(m_rows.size(), QString());
    m_nextTick = 1;
    m_tickedCount = 0;
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        changeTick(row, m_rows[row].server.ticked);
        indexSearchText(row);
    }
    endResetModel();
    Q_EMIT ticksChanged();
}

void ServerTableModel::setEntries(std::vector<ServerEntry> entries) {
    std::vector<Row> rows;
    rows.reserve(entries.size());
    for (ServerEntry& entry : entries) {
        Row row;
        row.server = std::move(entry);
        row.askedBy = AskedBy::ConfigIni;
        rows.push_back(std::move(row));
    }
    setRows(std::move(rows));
}

std::vector<ServerEntry> ServerTableModel::entries() const {
    std::vector<ServerEntry> result;
    result.reserve(m_rows.size());
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        result.push_back(m_rows[row].server);
        result.back().ticked = m_ticks[row] != 0;
    }
    return result;
}

std::vector<ServerEntry> ServerTableModel::runEntries() const {
    std::vector<ServerEntry> result;
    result.reserve(m_rows.size());
    for (const int row : tickedRows()) {
        result.push_back(m_rows[static_cast<std::size_t>(row)].server);
        result.back().ticked = true;
    }
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_ticks[row] == 0) {
            result.push_back(m_rows[row].server);
            result.back().ticked = false;
        }
    }
    return result;
}

std::vector<int> ServerTableModel::tickedRows() const {
    std::vector<int> rows;
    rows.reserve(m_tickedCount);
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_ticks[row] != 0) {
            rows.push_back(static_cast<int>(row));
        }
    }
    std::sort(rows.begin(), rows.end(), [this](int a, int b) { return tickPosition(a) < tickPosition(b); });
    return rows;
}

bool ServerTableModel::changeTick(std::size_t row, bool ticked) {
    if ((m_ticks[row] != 0) == ticked) {
        return false;
    }
    m_ticks[row] = ticked ? m_nextTick++ : 0;
    m_tickedCount = ticked ? m_tickedCount + 1 : m_tickedCount - 1;
    return true;
}

void ServerTableModel::setTicked(int row, bool ticked) {
    setTickedRows({row}, ticked);
}

void ServerTableModel::setTickedRows(const std::vector<int>& rows, bool ticked) {
    int top = -1;
    int bottom = -1;
    for (const int row : rows) {
        if (row < 0 || row >= rowCount() || !changeTick(static_cast<std::size_t>(row), ticked)) {
            continue;
        }
        top = top < 0 ? row : std::min(top, row);
        bottom = std::max(bottom, row);
    }
    if (top < 0) {
        return;
    }
    Q_EMIT dataChanged(index(top, 0), index(bottom, 0), {Qt::CheckStateRole});
    Q_EMIT ticksChanged();
}

void ServerTableModel::replaceTicks(const std::vector<int>& rows) {
    m_ticks.assign(m_rows.size(), 0);
    m_tickedCount = 0;
    for (const int row : rows) {
        if (row >= 0 && row < rowCount()) {
            changeTick(static_cast<std::size_t>(row), true);
        }
    }
    if (!m_rows.empty()) {
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
    }
    Q_EMIT ticksChanged();
}

void ServerTableModel::setHeaders(const QString& suffixCaption, const QString& askingCaption) {
    m_headers[0] = suffixCaption;
    m_headers[1] = askingCaption;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 1);
}

void ServerTableModel::setLanguage(const std::string& code) {
    m_language = code;
    if (!m_rows.empty()) {
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 1), {Qt::DisplayRole, Qt::ToolTipRole});
    }
}

void ServerTableModel::indexSearchText(std::size_t row) {
    const Row& item = m_rows[row];
    QString text = toQString(item.server.caption).toLower();
    if (!item.ascii.empty() && item.ascii != item.server.caption) {
        text += QLatin1Char('\n') + toQString(item.ascii).toLower();
    }
    m_search[row] = std::move(text);
}

QString ServerTableModel::toolTip(const Row& row) const {
    // The suffix (a long one is cut short in its column), its A-label, then the server asked.
    QString tip = toQString(row.server.caption);
    if (!row.ascii.empty() && row.ascii != row.server.caption) {
        tip += QStringLiteral(" (") + toQString(row.ascii) + QLatin1Char(')');
    }
    tip += QLatin1Char('\n') + toQString(row.server.host);
    if (row.askedBy == AskedBy::WhoisCalibrated) {
        tip += QLatin1Char('\n') +
               (row.calibratedAt == 0
                    ? uiText(Msg::NotCalibratedYet, m_language)
                    : toQString(formatMessage(Msg::CalibratedOn, m_language, {calibrationDate(row.calibratedAt)})));
    }
    return tip;
}

int ServerTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ServerTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant ServerTableModel::data(const QModelIndex& index, int role) const {
    if (!isCell(index)) {
        return {};
    }
    const Row& row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return index.column() == 0 ? toQString(row.server.caption) : uiText(askedByWord(row.askedBy), m_language);
    }
    if (role == Qt::ToolTipRole) {
        return toolTip(row);
    }
    if (role == Qt::CheckStateRole && index.column() == 0) {
        return tickPosition(index.row()) != 0 ? Qt::Checked : Qt::Unchecked;
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
    if (role == Qt::EditRole && flags(index).testFlag(Qt::ItemIsEditable)) {
        const auto row = static_cast<std::size_t>(index.row());
        m_rows[row].server.caption = toStdString(value.toString());
        m_rows[row].server.nameServers.clear(); // they were the old suffix's
        indexSearchText(row);
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
        result |= Qt::ItemIsUserCheckable;
        // A catalogue row's suffix belongs to its server; only the user's own rows are renamed.
        if (m_rows[static_cast<std::size_t>(index.row())].askedBy == AskedBy::ConfigIni) {
            result |= Qt::ItemIsEditable;
        }
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
