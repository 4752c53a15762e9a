#pragma once

#include "core/query/MarkCounts.h"
#include "core/query/QueryEvents.h"
#include "core/query/ResultTable.h"
#include "core/query/ServerEntry.h"

#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

namespace cvt {

// The window's result table and its model for lvDomain: the only copy of the results. It lives on
// the GUI thread; the query engine's events reach it there in batches (appendRows, applyCells), and
// the popup commands change it through the methods below. Mark cells keep their texts and show a
// colour and a tooltip naming the outcome and, when there is one, its reason.
class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultTableModel(QObject* parent = nullptr);

    // The language of the tooltips.
    void setLanguage(const std::string& code);
    // The marks in the table now, kept up to date as cells are written and rows go.
    const MarkCounts& markCounts() const { return m_counts; }
    // Removes the rows at the indices (any order; indices past the end are ignored).
    void removeRowsAt(std::vector<std::size_t> indices);

    const ResultTable& table() const { return m_table; }
    const std::vector<std::string>& captions() const { return m_table.captions(); }
    const std::vector<ResultRow>& rows() const { return m_table.rows(); }
    ResultTableSnapshot snapshot() const { return m_table.snapshot(); }

    void setColumnCaption(std::size_t column, const std::string& caption);
    // The column upkeep (ResultTable::alignSuffixColumns).
    void alignSuffixColumns(const std::vector<ServerEntry>& entries);
    void appendRows(const std::vector<AppendedRow>& rows);
    // Writes each answer under its suffix's column; answers without a row or a column, or for a row
    // renamed since, are dropped.
    void applyCells(const std::vector<AnsweredCell>& cells);
    void clearRows();
    // Room for a run's rows (its total is known when it starts asking).
    void reserveRows(std::size_t count) { m_table.reserveRows(count); }
    // Removes the rows the predicate holds for; they are kept until the next removal so that
    // undoRemoval can put them back.
    void removeRowsIf(const std::function<bool(const ResultRow&)>& predicate);
    // Whether the last removal can be undone: not after the rows were cleared or the columns
    // changed, which the kept rows no longer fit.
    bool canUndoRemoval() const { return !m_removed.rows.empty(); }
    // Puts the rows of the last removal back where they stood.
    void undoRemoval();
    void appendRow(const std::string& caption, const std::vector<Mark>& cells);
    // A table of other columns (a search of the journal's history): no rows, the name column, then
    // a column for each of captions[1...].
    void showColumns(const std::vector<std::string>& captions);
    // Appends rows[from, to) with their cells and reasons in one insertion.
    void appendFilledRows(const std::vector<ResultRow>& rows, std::size_t from, std::size_t to);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Renames a row (the name column only): the characters the pattern box refuses are dropped and
    // blanks trimmed; an empty name is refused. A new name empties the row's cells and reasons.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    // The mark counts changed.
    void countsChanged();

private:
    bool isCell(const QModelIndex& index) const;
    void count(Mark mark, int delta);
    void recount();
    void forgetRemoval() { m_removed = {}; }
    ResultTable m_table;
    MarkCounts m_counts;
    // The last removal: the rows and the indices (ascending) they stood at.
    struct Removal {
        std::vector<std::size_t> at;
        std::vector<ResultRow> rows;
    } m_removed;
    std::string m_language;
};

} // namespace cvt
