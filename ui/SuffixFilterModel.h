#pragma once

#include <QSortFilterProxyModel>
#include <QString>
#include <cstdint>
#include <vector>

namespace cvt {

class ServerTableModel;

// What the suffix picker shows of the server table: one group (or the ticked suffixes, or all)
// and, when search text is given, the suffixes whose name or A-label contains it or whose group's
// name (in either language) begins with it (three characters at least, or the whole name). The
// ticked view lists the suffixes in the order they were ticked; a search lists the suffixes that
// match exactly first, then those that begin with the text, then those that contain it, then the
// members of a group it names, each in table order. The user's own Config.ini entries count as
// popular.
// A change of group or text rebuilds the view at once (one layout change, never a signal per
// row); a tick leaves the shown rows where they are until the next change, so a suffix unticked
// in the ticked view can be ticked again.
class SuffixFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum class Group { Ticked, Popular, Generic, Country, Chinese, All };

    explicit SuffixFilterModel(ServerTableModel& source, QObject* parent = nullptr);

    void setGroup(Group group);
    Group group() const { return m_group; }
    // Letter case and one leading dot are ignored; blanks at the ends too.
    void setSearchText(const QString& text);
    const QString& searchText() const { return m_search; }
    // Shows again what the group and text choose (after ticks changed underneath).
    void refresh();
    // The source rows shown, in the order shown.
    std::vector<int> shownRows() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    ServerTableModel& m_source;
    Group m_group = Group::All;
    QString m_search; // folded: lower case, trimmed, without a leading dot
    // SuffixChoice bits of the groups whose name the search text stands for.
    std::uint8_t m_namedGroups = 0;
    // Per source row while a search is on: 0 exact, 1 prefix, 2 contained, 3 in a group named (set by
    // the filter).
    mutable std::vector<std::uint8_t> m_rank;
};

} // namespace cvt
