#include "ui/ResultFilterModel.h"

#include "core/query/ResultMarks.h"
#include "text/AsciiCase.h"
#include "ui/ResultTableModel.h"
#include "ui/UiText.h"

#include <algorithm>

namespace cvt {

namespace {

// The order of a column of marks: free first, then registered, failed and not asked.
int markRank(Mark mark) {
    switch (mark) {
    case Mark::Free:
        return 0;
    case Mark::Registered:
        return 1;
    case Mark::Failed:
        return 2;
    case Mark::Unasked:
        break;
    }
    return 3;
}

} // namespace

ResultFilterModel::ResultFilterModel(ResultTableModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source) {
    setSourceModel(&source);
    setDynamicSortFilter(true);
}

std::optional<Mark> ResultFilterModel::kindAt(int choice) {
    static constexpr Mark kChoices[] = {Mark::Free, Mark::Registered, Mark::Failed};
    if (choice < 1 || choice > static_cast<int>(std::size(kChoices))) {
        return std::nullopt;
    }
    return kChoices[choice - 1];
}

void ResultFilterModel::setKind(std::optional<Mark> kind) {
    if (kind == m_kind) {
        return;
    }
    m_kind = kind;
    invalidateRowsFilter();
}

void ResultFilterModel::setNameText(const QString& text) {
    if (text == m_nameText) {
        return;
    }
    m_nameText = text;
    m_nameBytes = toStdString(text.trimmed());
    invalidateRowsFilter();
}

std::size_t ResultFilterModel::sourceRow(int proxyRow) const {
    return static_cast<std::size_t>(mapToSource(index(proxyRow, 0)).row());
}

bool ResultFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid() || sourceRow < 0 || static_cast<std::size_t>(sourceRow) >= m_source.rows().size()) {
        return false;
    }
    const ResultRow& row = m_source.rows()[static_cast<std::size_t>(sourceRow)];
    if (!m_nameBytes.empty() && !containsIgnoreCase(row.caption, m_nameBytes)) {
        return false;
    }
    if (!m_kind) {
        return true;
    }
    // Only cells under a column count: a row may be longer for a moment while columns change.
    const std::size_t cells = std::min(row.cells.size(), m_source.table().columnCount() - 1);
    return std::any_of(row.cells.begin(), row.cells.begin() + static_cast<std::ptrdiff_t>(cells),
                       [&](Mark mark) { return mark == *m_kind; });
}

bool ResultFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const auto& rows = m_source.rows();
    const ResultRow& a = rows[static_cast<std::size_t>(left.row())];
    const ResultRow& b = rows[static_cast<std::size_t>(right.row())];
    if (left.column() == 0) {
        return a.caption < b.caption;
    }
    const auto cell = static_cast<std::size_t>(left.column() - 1);
    const int rankA = markRank(cell < a.cells.size() ? a.cells[cell] : Mark::Unasked);
    const int rankB = markRank(cell < b.cells.size() ? b.cells[cell] : Mark::Unasked);
    // Equal marks keep candidate order.
    return rankA != rankB ? rankA < rankB : left.row() < right.row();
}

} // namespace cvt
