#include "ui/ResultTableModel.h"

#include "core/export/MarkGlyph.h"
#include "core/journal/JournalRecall.h"
#include "i18n/Messages.h"
#include "ui/MarkStyle.h"
#include "ui/TypedCharFilter.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

namespace cvt {

namespace {
QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

bool ResultTableModel::isCell(const QModelIndex& index) const {
    // Views and testers ask about invalid indices too; they simply have no data.
    return index.isValid() && index.model() == this && !index.parent().isValid() && index.row() < rowCount() &&
           index.column() < columnCount();
}

ResultTableModel::ResultTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultTableModel::setLanguage(const std::string& code) {
    m_language = code;
}

void ResultTableModel::count(Mark mark, int delta) {
    m_counts.add(mark, delta);
}

void ResultTableModel::recount() {
    // A row may hold cells past the last column for a moment; only cells under a column count.
    m_counts = {};
    const std::size_t cells = m_table.columnCount() - 1;
    for (const ResultRow& row : m_table.rows()) {
        for (std::size_t cell = 0; cell < std::min(cells, row.cells.size()); ++cell) {
            count(row.cells[cell], +1);
        }
    }
    Q_EMIT countsChanged();
}

void ResultTableModel::removeRowsAt(std::vector<std::size_t> indices) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    while (!indices.empty() && indices.back() >= m_table.rowCount()) {
        indices.pop_back();
    }
    if (indices.empty()) {
        return;
    }
    const ResultRow* first = m_table.rows().data();
    removeRowsIf([&](const ResultRow& row) {
        // The table visits every row once, in order, before it moves any later one.
        const auto at = static_cast<std::size_t>(&row - first);
        return std::binary_search(indices.begin(), indices.end(), at);
    });
}

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
    forgetRemoval();
    recount();
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

void ResultTableModel::appendRow(const std::string& caption, const std::vector<Mark>& cells) {
    const int at = static_cast<int>(m_table.rowCount());
    beginInsertRows({}, at, at);
    const std::size_t row = m_table.appendRow(caption);
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
        m_table.setCell(row, cell, cells[cell]);
        if (cell + 1 < m_table.columnCount()) {
            count(cells[cell], +1);
        }
    }
    endInsertRows();
    Q_EMIT countsChanged();
}

void ResultTableModel::showColumns(const std::vector<std::string>& captions) {
    beginResetModel();
    ResultTable table(m_table.captions().front());
    for (std::size_t column = 1; column < captions.size(); ++column) {
        table.appendColumn(captions[column]);
    }
    m_table = std::move(table);
    endResetModel();
    forgetRemoval();
    recount();
}

void ResultTableModel::appendFilledRows(const std::vector<ResultRow>& rows, std::size_t from, std::size_t to) {
    to = std::min(to, rows.size());
    if (from >= to) {
        return;
    }
    const int first = static_cast<int>(m_table.rowCount());
    beginInsertRows({}, first, first + static_cast<int>(to - from) - 1);
    for (std::size_t index = from; index < to; ++index) {
        const ResultRow& source = rows[index];
        const std::size_t row = m_table.appendRow(source.caption);
        for (std::size_t cell = 0; cell < source.cells.size() && cell + 1 < m_table.columnCount(); ++cell) {
            m_table.setCell(row, cell, source.cells[cell], source.detail(cell));
            count(source.cells[cell], +1);
        }
    }
    endInsertRows();
    Q_EMIT countsChanged();
}

void ResultTableModel::applyCells(const std::vector<AnsweredCell>& cells) {
    int top = -1;
    int bottom = -1;
    for (const AnsweredCell& cell : cells) {
        const int column = m_table.SuffixColumn(cell.suffix);
        // A row renamed since its name was asked waits to be asked under its new name.
        if (column < 0 || cell.row >= m_table.rowCount() || m_table.rows()[cell.row].caption != cell.name) {
            continue;
        }
        count(m_table.cell(cell.row, static_cast<std::size_t>(column) - 1), -1);
        // A cell taken from the journal says so in its tooltip and details.
        m_table.writeAnswer(cell.row, cell.suffix, cell.mark, shownDetails(cell));
        count(cell.mark, +1);
        const int row = static_cast<int>(cell.row);
        top = top < 0 ? row : std::min(top, row);
        bottom = std::max(bottom, row);
    }
    if (top >= 0 && columnCount() > 1) {
        Q_EMIT dataChanged(index(top, 1), index(bottom, columnCount() - 1),
                           {Qt::DisplayRole, Qt::ToolTipRole, Qt::ForegroundRole});
        Q_EMIT countsChanged();
    }
}

void ResultTableModel::clearRows() {
    forgetRemoval();
    if (m_table.rowCount() == 0) {
        return;
    }
    beginRemoveRows({}, 0, static_cast<int>(m_table.rowCount()) - 1);
    m_table.clearRows();
    endRemoveRows();
    recount();
}

void ResultTableModel::removeRowsIf(const std::function<bool(const ResultRow&)>& predicate) {
    Removal removal;
    beginResetModel();
    removal.at = m_table.removeRowsIf([&](const ResultRow& row) {
        if (!predicate(row)) {
            return false;
        }
        removal.rows.push_back(row);
        return true;
    });
    endResetModel();
    if (!removal.rows.empty()) {
        m_removed = std::move(removal);
    }
    recount();
}

void ResultTableModel::undoRemoval() {
    if (!canUndoRemoval()) {
        return;
    }
    ResultTable restored(m_table.captions().front());
    for (std::size_t column = 1; column < m_table.columnCount(); ++column) {
        restored.appendColumn(m_table.captions()[column]);
    }
    const std::vector<ResultRow>& kept = m_table.rows();
    restored.reserveRows(kept.size() + m_removed.rows.size());
    std::size_t nextKept = 0;
    std::size_t nextRemoved = 0;
    for (std::size_t at = 0; at < kept.size() + m_removed.rows.size(); ++at) {
        const bool wasRemoved = nextRemoved < m_removed.rows.size() && m_removed.at[nextRemoved] == at;
        const ResultRow& source = wasRemoved ? m_removed.rows[nextRemoved++] : kept[nextKept++];
        const std::size_t row = restored.appendRow(source.caption);
        for (std::size_t cell = 0; cell < source.cells.size(); ++cell) {
            restored.setCell(row, cell, source.cells[cell], source.detail(cell));
        }
    }
    beginResetModel();
    m_table = std::move(restored);
    endResetModel();
    forgetRemoval();
    recount();
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
    const Mark mark = cell < row.cells.size() ? row.cells[cell] : Mark::Unasked;
    switch (role) {
    case Qt::DisplayRole:
        return MarkStyle::shownSign(mark);
    case Qt::EditRole:
        return fromUtf8(markGlyph(mark));
    case Qt::ToolTipRole: {
        const Msg kind = mark == Mark::Free         ? Msg::MarkFree
                         : mark == Mark::Registered ? Msg::MarkRegistered
                                                    : Msg::MarkFailed;
        const std::string detail = row.detail(cell);
        if (mark == Mark::Unasked) {
            // A cell never asked has no outcome; a reason left from an earlier answer still shows.
            return detail.empty() ? QVariant() : QVariant(fromUtf8(detail));
        }
        QString text = QString::fromUtf8(message(kind, m_language));
        if (!detail.empty()) {
            text += QStringLiteral(": ") + fromUtf8(detail);
        }
        return text;
    }
    case Qt::ForegroundRole: {
        // Readable on the palette's base in light and dark themes, and replaced by the selection's
        // own text colour on a selected row.
        const QColor colour = MarkStyle::colour(mark, QGuiApplication::palette().color(QPalette::Base));
        return colour.isValid() ? QVariant(QBrush(colour)) : QVariant();
    }
    case Qt::FontRole: {
        // The stars are thin in most fonts; a larger bold mark stays visible on any background.
        static const QFont kMarkFont = [] {
            QFont font;
            font.setBold(true);
            font.setPointSizeF(font.pointSizeF() * 1.2);
            return font;
        }();
        return mark == Mark::Unasked ? QVariant() : QVariant(kMarkFont);
    }
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignHCenter | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool ResultTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != 0 || !isCell(index)) {
        return false;
    }
    // A new name keeps to the pattern box's characters: a pasted line break would otherwise reach
    // the servers as a query line of its own.
    const QString name = TypedCharFilter::keptCharacters(value.toString(), &TypedCharFilter::patternChar).trimmed();
    if (name.isEmpty()) {
        return false;
    }
    const auto row = static_cast<std::size_t>(index.row());
    const QByteArray caption = name.toUtf8();
    if (m_table.rowCaption(row) == caption.toStdString()) {
        return true;
    }
    m_table.setRowCaption(row, caption.toStdString());
    // The marks were the old name's answers: the renamed row waits to be asked.
    for (std::size_t cell = 0; cell < m_table.rows()[row].cells.size(); ++cell) {
        m_table.setCell(row, cell, Mark::Unasked);
    }
    Q_EMIT dataChanged(index, this->index(index.row(), columnCount() - 1),
                       {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole, Qt::ForegroundRole, Qt::FontRole});
    recount();
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
