#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// One row of the result table: the name and one cell per suffix column. Cell k belongs to column
// k + 1. A row may have fewer cells than there are suffix columns (it was made before a column was
// appended); a missing cell reads as empty and is added, with empty cells before it, when written.
struct ResultRow {
    std::string caption;
    std::vector<std::string> cells;

    // Writes cell `cell`, first padding a shorter row with empty cells.
    void setCell(std::size_t cell, const std::string& mark) {
        if (cells.size() <= cell) {
            cells.resize(cell + 1);
        }
        cells[cell] = mark;
    }

    bool operator==(const ResultRow&) const = default;
};

// A copy of the whole table: column captions (index 0 = the name column) and the rows.
struct ResultTableSnapshot {
    std::vector<std::string> captions;
    std::vector<ResultRow> rows;

    bool operator==(const ResultTableSnapshot&) const = default;
};

// Told about every change of a ResultTable, in the order the changes happen, so that a view can
// mirror the table. The calls are made on the thread making the change while the table's lock is
// held: a listener must not call back into the table and must not wait for another thread (the
// window's listener queues each change for the GUI thread).
class ResultTableListener {
public:
    virtual ~ResultTableListener() = default;

    // A column with this caption was appended at the right.
    virtual void columnAppended(const std::string& caption) = 0;
    // Suffix column `column` (>= 1) was removed; every row that had cell column - 1 lost it.
    virtual void columnRemoved(std::size_t column) = 0;
    virtual void columnCaptionChanged(std::size_t column, const std::string& caption) = 0;
    // The row was appended at the bottom.
    virtual void rowAppended(const ResultRow& row) = 0;
    // The rows at these indices (ascending, counted before the removal) were removed.
    virtual void rowsRemoved(const std::vector<std::size_t>& rows) = 0;
    // Every row was removed; the columns stay.
    virtual void rowsCleared() = 0;
    virtual void rowCaptionChanged(std::size_t row, const std::string& caption) = 0;
    // Cell `cell` of row `row` now holds `mark`; a row that was shorter was first padded with
    // empty cells.
    virtual void cellChanged(std::size_t row, std::size_t cell, const std::string& mark) = 0;
};

// Where the query run put a mark (see ResultTable::placeMark).
struct PlacedMark {
    std::size_t row = 0;
    bool rowAppended = false; // a new row was made for the name
    bool written = false;     // false when no suffix column carries the suffix
};

// The result table: column 0 holds the names, every further column one suffix; one row per name;
// each cell one result mark. The one source of truth for the results: every change goes through
// these methods and is reported to the listener. All methods are thread-safe.
//
// Suffix columns are looked up from column 1 on: the name column is never taken for a suffix, even
// when a suffix carries its caption.
class ResultTable {
public:
    explicit ResultTable(std::string nameColumnCaption = {});
    ResultTable(const ResultTable&) = delete;
    ResultTable& operator=(const ResultTable&) = delete;

    // Sets the listener (null for none) and returns the table as it stands at that moment, so the
    // listener's view can start from it and then follow every later change.
    ResultTableSnapshot setListener(ResultTableListener* listener);

    // --- Reading ---------------------------------------------------------------------------------
    ResultTableSnapshot snapshot() const;
    std::size_t columnCount() const;
    std::size_t rowCount() const;
    std::string columnCaption(std::size_t column) const;
    std::string rowCaption(std::size_t row) const;
    // Cell `cell` of the row; empty when the row has no such cell.
    std::string cell(std::size_t row, std::size_t cell) const;
    ResultRow row(std::size_t row) const;

    // The index of the first suffix column (>= 1) whose caption equals suffix exactly, or -1.
    int SuffixColumn(std::string_view suffix) const;

    // --- Columns ---------------------------------------------------------------------------------
    void appendColumn(const std::string& caption);
    // Removes the first suffix column whose caption equals caption exactly, with its cell in every
    // row, so no cell ever stands under another column's caption. Nothing when there is none.
    void RemoveSuffixColumn(std::string_view caption);
    // Column 0 is the name column; its caption is the UI's.
    void setColumnCaption(std::size_t column, const std::string& caption);

    // --- Rows ------------------------------------------------------------------------------------
    // Appends a row with the caption and one empty cell per suffix column; returns its index.
    std::size_t appendRow(const std::string& caption);
    void clearRows();
    // Removes the rows at the given indices (any order, duplicates and indices past the end
    // ignored).
    void removeRows(std::vector<std::size_t> rows);
    // Removes every row for which the predicate holds; returns how many went. The predicate runs
    // under the table's lock and must not call the table.
    std::size_t removeRowsIf(const std::function<bool(const ResultRow&)>& predicate);
    void setRowCaption(std::size_t row, const std::string& caption);

    // --- Cells -----------------------------------------------------------------------------------
    // Writes cell `cell` of the row, padding a shorter row with empty cells first. Ignored when the
    // row does not exist.
    void setCell(std::size_t row, std::size_t cell, const std::string& mark);

    // Writes the mark into row `row` under suffix column `column`, but only if the row still carries
    // rowCaption and the column still carries columnCaption (the table may have changed since the
    // caller read them). Returns whether the mark was written.
    bool setCellChecked(std::size_t row, std::size_t column, std::string_view rowCaption,
                        std::string_view columnCaption, const std::string& mark);

    // The query run's write, done under one lock: the row is the last row when its caption equals
    // name exactly, otherwise a newly appended row; the cell is the one under the suffix's column.
    PlacedMark placeMark(const std::string& name, std::string_view suffix, const std::string& mark);

private:
    int suffixColumnLocked(std::string_view suffix) const;
    void setCellLocked(std::size_t row, std::size_t cell, const std::string& mark);
    std::size_t appendRowLocked(const std::string& caption);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_captions;
    std::vector<ResultRow> m_rows;
    ResultTableListener* m_listener = nullptr;
};

} // namespace cvt
