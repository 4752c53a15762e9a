#pragma once

#include "core/query/ServerEntry.h"
#include "core/suffixes/SuffixDirectory.h"

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace cvt {

// The server table shown in lvWhois, one row per suffix a user can tick: column 0 is the suffix
// with its tick box, column 1 how it is asked (the server itself is the tooltip). The model keeps
// the order the suffixes were ticked in, which is the order of the result columns and of the
// entries a run gets. Ticks change one at a time or in batches, each batch one notification. The
// suffix of a Config.ini row can be edited in place.
class ServerTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // A row: the suffix as the directory gives it. Its server's ticked flag is read once, when the
    // rows are set; tickPosition says whether it is ticked from then on.
    using Row = DirectorySuffix;

    explicit ServerTableModel(QObject* parent = nullptr);

    // The rows, the ticked ones ticked in row order.
    void setRows(std::vector<Row> rows);
    // Config.ini rows alone (no catalogue).
    void setEntries(std::vector<ServerEntry> entries);
    const Row& row(int row) const { return m_rows[static_cast<std::size_t>(row)]; }

    // Every row's entry in row order, ticked as the rows are.
    std::vector<ServerEntry> entries() const;
    // The ticked entries in the order they were ticked, then the unticked ones in row order: what
    // the query engine and the result columns work from.
    std::vector<ServerEntry> runEntries() const;
    // The ticked rows in the order they were ticked.
    std::vector<int> tickedRows() const;
    std::size_t tickedCount() const { return m_tickedCount; }
    // 0 for an unticked row; otherwise a number that grows with each tick, so ticked rows sort in
    // the order they were ticked.
    std::uint64_t tickPosition(int row) const { return m_ticks[static_cast<std::size_t>(row)]; }
    // The lower-case text the picker's search looks in: the suffix, then on a line of its own the
    // A-label of an international one.
    const QString& searchText(int row) const { return m_search[static_cast<std::size_t>(row)]; }

    void setTicked(int row, bool ticked);
    // Ticks (in the order given, after those already ticked) or unticks the rows: one notification.
    void setTickedRows(const std::vector<int>& rows, bool ticked);
    // Ticks exactly these rows, in this order (the others unticked): one notification.
    void replaceTicks(const std::vector<int>& rows);
    void setHeaders(const QString& suffixCaption, const QString& askingCaption);
    // The language of the second column's words and of the tooltips.
    void setLanguage(const std::string& code);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    // Ticks were set or cleared (by the person or by setTicked / setTickedRows).
    void ticksChanged();
    // The suffix of a row was edited in place.
    void captionEdited(int row);

private:
    bool isCell(const QModelIndex& index) const;
    // Sets one row's tick without notifying; true when it changed.
    bool changeTick(std::size_t row, bool ticked);
    void indexSearchText(std::size_t row);
    QString toolTip(const Row& row) const;

    std::vector<Row> m_rows;
    std::vector<std::uint64_t> m_ticks; // per row, see tickPosition
    std::vector<QString> m_search;      // per row, see searchText
    std::uint64_t m_nextTick = 1;
    std::size_t m_tickedCount = 0;
    QString m_headers[2];
    std::string m_language;
};

} // namespace cvt
