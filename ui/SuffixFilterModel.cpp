#include "ui/SuffixFilterModel.h"

#include "ui/ServerTableModel.h"
#include "ui/UiText.h"

#include <algorithm>

namespace cvt {

namespace {

SuffixChoice choiceOf(SuffixFilterModel::Group group) {
    switch (group) {
    case SuffixFilterModel::Group::Popular:
        return SuffixChoice::Popular;
    case SuffixFilterModel::Group::Generic:
        return SuffixChoice::Generic;
    case SuffixFilterModel::Group::Country:
        return SuffixChoice::Country;
    case SuffixFilterModel::Group::Chinese:
        return SuffixChoice::Chinese;
    case SuffixFilterModel::Group::Ticked:
    case SuffixFilterModel::Group::All:
        break;
    }
    return SuffixChoice::All;
}

constexpr std::uint8_t bit(SuffixChoice choice) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(choice));
}

// Whether the row stands in the group; the user's own Config.ini entries count as popular.
bool inGroup(const ServerTableModel::Row& row, SuffixChoice choice) {
    return row.in(choice) || (choice == SuffixChoice::Popular && row.askedBy == AskedBy::ConfigIni);
}

// The groups whose name, in either language, the folded text stands for.
std::uint8_t groupsNamed(const QString& text) {
    constexpr std::pair<SuffixChoice, Msg> kNames[] = {
        {SuffixChoice::Popular, Msg::PickerPopular},
        {SuffixChoice::Generic, Msg::PickerGeneric},
        {SuffixChoice::Country, Msg::PickerCountry},
        {SuffixChoice::Chinese, Msg::PickerChinese},
    };
    std::uint8_t named = 0;
    for (const auto& [choice, id] : kNames) {
        for (const char* language : {"en", "zh-cn"}) {
            const QString name = uiText(id, language).toLower();
            if (!text.isEmpty() && name.startsWith(text) && (text.size() >= 3 || text == name)) {
                named |= bit(choice);
            }
        }
    }
    return named;
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
    m_namedGroups = groupsNamed(m_search);
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
    const ServerTableModel::Row& row = m_source.row(sourceRow);
    if (m_group == Group::Ticked ? m_source.tickPosition(sourceRow) == 0
                                 : m_group != Group::All && !inGroup(row, choiceOf(m_group))) {
        return false;
    }
    if (m_search.isEmpty()) {
        return true;
    }
    // The text holds the suffix, then the A-label of an international one on a line of its own.
    const QString& text = m_source.searchText(sourceRow);
    const qsizetype suffixEnd = text.indexOf(QLatin1Char('\n'));
    const QStringView suffix = QStringView(text).left(suffixEnd < 0 ? text.size() : suffixEnd);
    const QStringView ascii = suffixEnd < 0 ? QStringView() : QStringView(text).mid(suffixEnd + 1);
    std::uint8_t rank = 3;
    if (suffix == m_search || ascii == m_search) {
        rank = 0;
    } else if (suffix.startsWith(m_search) || (!ascii.isEmpty() && ascii.startsWith(m_search))) {
        rank = 1;
    } else if (text.contains(m_search)) {
        rank = 2;
    } else if (m_namedGroups == 0 || std::none_of(kSuffixChoices.begin(), kSuffixChoices.end(), [&](SuffixChoice c) {
                   return (m_namedGroups & bit(c)) != 0 && inGroup(row, c);
               })) {
        return false;
    }
    const auto rowCount = static_cast<std::size_t>(m_source.rowCount());
    if (m_rank.size() != rowCount) {
        m_rank.assign(rowCount, 3);
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
