#pragma once

#include "core/query/Mark.h"
#include "core/query/ServerEntry.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// One row of the result table: the name and one cell per suffix column. Cell k belongs to column
// k + 1. A row may have fewer cells than there are suffix columns (it was made before a column was
// appended); a missing cell reads as unasked and is added, with unasked cells before it, when written.
// details[k], when present, says why cell k failed or was refused ("Read Timeout", "refused: ...").
struct ResultRow {
    std::string caption;
    std::vector<Mark> cells;
    std::vector<std::string> details{};

    // Writes cell `cell`, first padding a shorter row with unasked cells.
    void setCell(std::size_t cell, Mark mark, const std::string& detail = {}) {
        if (cells.size() <= cell) {
            cells.resize(cell + 1);
        }
        cells[cell] = mark;
        if (!detail.empty() || cell < details.size()) {
            if (details.size() <= cell) {
                details.resize(cell + 1);
            }
            details[cell] = detail;
        }
    }
    void eraseCell(std::size_t cell) {
        if (cell < cells.size()) {
            cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(cell));
        }
        if (cell < details.size()) {
            details.erase(details.begin() + static_cast<std::ptrdiff_t>(cell));
        }
    }
    std::string detail(std::size_t cell) const { return cell < details.size() ? details[cell] : std::string(); }

    bool operator==(const ResultRow& other) const { return caption == other.caption && cells == other.cells; }
};

// A copy of the whole table: column captions (index 0 = the name column) and the rows.
struct ResultTableSnapshot {
    std::vector<std::string> captions;
    std::vector<ResultRow> rows;

    bool operator==(const ResultTableSnapshot&) const = default;
};

// The result table: column 0 holds the names, every further column one suffix; one row per name;
// each cell one mark. It has one owner (the window's table model, the command-line tool's
// event sink) and is used from one thread; the query engine never touches it, it only reports what
// to write.
//
// Suffix columns are looked up from column 1 on: the name column is never taken for a suffix, even
// when a suffix carries its caption.
class ResultTable {
public:
    explicit ResultTable(std::string nameColumnCaption = {});

    // --- Reading ---------------------------------------------------------------------------------
    ResultTableSnapshot snapshot() const { return {m_captions, m_rows}; }
    const std::vector<std::string>& captions() const { return m_captions; }
    const std::vector<ResultRow>& rows() const { return m_rows; }
    std::size_t columnCount() const { return m_captions.size(); }
    std::size_t rowCount() const { return m_rows.size(); }
    std::string columnCaption(std::size_t column) const;
    std::string rowCaption(std::size_t row) const;
    // Cell `cell` of the row; unasked when the row has no such cell.
    Mark cell(std::size_t row, std::size_t cell) const;
    ResultRow row(std::size_t row) const;

    // The index of the first suffix column (>= 1) whose caption equals suffix exactly, or -1.
    int SuffixColumn(std::string_view suffix) const;

    // --- Columns ---------------------------------------------------------------------------------
    void appendColumn(const std::string& caption);
    // Removes the first suffix column whose caption equals caption exactly, with its cell in every
    // row, so no cell ever stands under another column's caption. Returns the removed column's
    // index, or nothing when there is none.
    std::optional<std::size_t> RemoveSuffixColumn(std::string_view caption);
    // Column 0 is the name column; its caption is the UI's.
    void setColumnCaption(std::size_t column, const std::string& caption);

    // The column upkeep: walks the entries in order, removing the column of an unticked suffix and
    // appending one for a ticked suffix that has none. A caption shared by several entries keeps
    // its column while any of them is ticked. Captions are compared trimmed of blanks. Reports
    // every removed column index and appended caption through the callbacks (either may be empty).
    void alignSuffixColumns(const std::vector<ServerEntry>& entries,
                            const std::function<void(std::size_t column)>& removed = {},
                            const std::function<void(const std::string& caption)>& appended = {});

    // --- Rows ------------------------------------------------------------------------------------
    // Appends a row with the caption and one unasked cell per suffix column; returns its index.
    std::size_t appendRow(const std::string& caption);
    void clearRows();
    // Makes room for that many rows at once, so a long run's appends never move the rows.
    void reserveRows(std::size_t count) { m_rows.reserve(count); }
    // Removes every row for which the predicate holds; returns the removed indices, ascending.
    std::vector<std::size_t> removeRowsIf(const std::function<bool(const ResultRow&)>& predicate);
    void setRowCaption(std::size_t row, const std::string& caption);

    // --- Cells -----------------------------------------------------------------------------------
    // Writes cell `cell` of the row, padding a shorter row with unasked cells first. Ignored when the
    // row does not exist.
    void setCell(std::size_t row, std::size_t cell, Mark mark, const std::string& detail = {});
    // Writes an answer under the suffix's column; returns the column, or -1 when no suffix column
    // carries the suffix or the row does not exist (nothing is written then).
    int writeAnswer(std::size_t row, std::string_view suffix, Mark mark, const std::string& detail = {});

private:
    std::vector<std::string> m_captions;
    std::vector<ResultRow> m_rows;
};

} // namespace cvt
