#include "ui/SuffixFilterModel.h"

#include "ui/ServerTableModel.h"

namespace cvt {

namespace {

std::uint8_t groupBit(SuffixFilterModel::Group group) {
    switch (group) {
    case SuffixFilterModel::Group::Popular:
        return static_cast<std::uint8_t>(PickerGroup::Popular);
    case SuffixFilterModel::Group::Generic:
        return static_cast<std::uint8_t>(PickerGroup::Generic);
    case SuffixFilterModel::Group::Country:
        return static_cast<std::uint8_t>(PickerGroup::Country);
    case SuffixFilterModel::Group::Chinese:
        return static_cast<std::uint8_t>(PickerGroup::Chinese);
    case SuffixFilterModel::Group::Ticked:
    case SuffixFilterModel::Group::All:
        break;
    }
    return 0;
}

} // namespace

SuffixFilterModel::SuffixFilterModel(ServerTableModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source) {
    // Rows stay where they are shown while ticks change; setGroup, setSearchText and refresh
    // rebuild the view.
    setDynamicSortFilter(false);
    setSourceModel(&source);
    sort(0, Qt::AscendingOrder);
}

void SuffixFilterModel::setGroup(Group group) {
    if (m_group == group) {
        return;
    }
    m_group = group;
    refresh();
}

void SuffixFilterModel::setSearchText(const QString& text) {
    QString folded = text.trimmed().toLower();
    if (folded.startsWith(QLatin1Char('.'))) {
        folded.remove(0, 1);
    }
    if (folded == m_search) {
        return;
    }
    m_search = std::move(folded);
    refresh();
}

void SuffixFilterModel::refresh() {
    // One layout change for the whole view: the filter and the order are worked out afresh.
    invalidate();
}

std::vector<int> SuffixFilterModel::shownRows() const {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(rowCount()));
    for (int row = 0; row < rowCount(); ++row) {
        rows.push_back(mapToSource(index(row, 0)).row());
    }
    return rows;
}

bool SuffixFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid()) {
        return false;
    }
    if (m_group == Group::Ticked) {
        if (m_source.tickPosition(sourceRow) == 0) {
            return false;
        }
    } else if (m_group != Group::All && (m_source.row(sourceRow).groups & groupBit(m_group)) == 0) {
        return false;
    }
    if (m_search.isEmpty()) {
        return true;
    }
    const QString& text = m_source.searchText(sourceRow);
    const qsizetype at = text.indexOf(m_search);
    if (at < 0) {
        return false;
    }
    // The text begins with the suffix, then the A-label of an international one, each ended by a
    // line break.
    const qsizetype suffixEnd = text.indexOf(QLatin1Char('\n'));
    const QStringView suffix = QStringView(text).left(suffixEnd < 0 ? text.size() : suffixEnd);
    QStringView ascii;
    if (!m_source.row(sourceRow).ascii.empty()) {
        const qsizetype asciiEnd = text.indexOf(QLatin1Char('\n'), suffixEnd + 1);
        ascii = QStringView(text).mid(suffixEnd + 1, asciiEnd < 0 ? -1 : asciiEnd - suffixEnd - 1);
    }
    std::uint8_t rank = 2;
    if (suffix == m_search || ascii == m_search) {
        rank = 0;
    } else if (at == 0 || (!ascii.isEmpty() && ascii.startsWith(m_search))) {
        rank = 1;
    }
    const auto rowCount = static_cast<std::size_t>(m_source.rowCount());
    if (m_rank.size() != rowCount) {
        m_rank.assign(rowCount, 2);
    }
    m_rank[static_cast<std::size_t>(sourceRow)] = rank;
    return true;
}

bool SuffixFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const auto a = static_cast<std::size_t>(left.row());
    const auto b = static_cast<std::size_t>(right.row());
    if (!m_search.isEmpty() && a < m_rank.size() && b < m_rank.size() && m_rank[a] != m_rank[b]) {
        return m_rank[a] < m_rank[b];
    }
    if (m_group == Group::Ticked) {
        return m_source.tickPosition(left.row()) < m_source.tickPosition(right.row());
    }
    return a < b;
}

} // namespace cvt
