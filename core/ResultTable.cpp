#include "core/ResultTable.h"

#include <algorithm>

namespace cvt {

ResultTable::ResultTable(std::string nameColumnCaption) {
    m_captions.push_back(std::move(nameColumnCaption));
}

ResultTableSnapshot ResultTable::setListener(ResultTableListener* listener) {
    std::lock_guard lock(m_mutex);
    m_listener = listener;
    return {m_captions, m_rows};
}

ResultTableSnapshot ResultTable::snapshot() const {
    std::lock_guard lock(m_mutex);
    return {m_captions, m_rows};
}

std::size_t ResultTable::columnCount() const {
    std::lock_guard lock(m_mutex);
    return m_captions.size();
}

std::size_t ResultTable::rowCount() const {
    std::lock_guard lock(m_mutex);
    return m_rows.size();
}

std::string ResultTable::columnCaption(std::size_t column) const {
    std::lock_guard lock(m_mutex);
    return column < m_captions.size() ? m_captions[column] : std::string();
}

std::string ResultTable::rowCaption(std::size_t row) const {
    std::lock_guard lock(m_mutex);
    return row < m_rows.size() ? m_rows[row].caption : std::string();
}

std::string ResultTable::cell(std::size_t row, std::size_t cell) const {
    std::lock_guard lock(m_mutex);
    if (row >= m_rows.size() || cell >= m_rows[row].cells.size()) {
        return {};
    }
    return m_rows[row].cells[cell];
}

ResultRow ResultTable::row(std::size_t row) const {
    std::lock_guard lock(m_mutex);
    return row < m_rows.size() ? m_rows[row] : ResultRow{};
}

int ResultTable::SuffixColumn(std::string_view suffix) const {
    std::lock_guard lock(m_mutex);
    return suffixColumnLocked(suffix);
}

int ResultTable::suffixColumnLocked(std::string_view suffix) const {
    for (std::size_t column = 1; column < m_captions.size(); ++column) {
        if (m_captions[column] == suffix) {
            return static_cast<int>(column);
        }
    }
    return -1;
}

void ResultTable::appendColumn(const std::string& caption) {
    std::lock_guard lock(m_mutex);
    m_captions.push_back(caption);
    if (m_listener != nullptr) {
        m_listener->columnAppended(caption);
    }
}

void ResultTable::RemoveSuffixColumn(std::string_view caption) {
    std::lock_guard lock(m_mutex);
    const int found = suffixColumnLocked(caption);
    if (found < 0) {
        return;
    }
    const auto column = static_cast<std::size_t>(found);
    m_captions.erase(m_captions.begin() + found);
    for (ResultRow& row : m_rows) {
        if (row.cells.size() >= column) {
            row.cells.erase(row.cells.begin() + static_cast<std::ptrdiff_t>(column - 1));
        }
    }
    if (m_listener != nullptr) {
        m_listener->columnRemoved(column);
    }
}

void ResultTable::setColumnCaption(std::size_t column, const std::string& caption) {
    std::lock_guard lock(m_mutex);
    if (column >= m_captions.size()) {
        return;
    }
    m_captions[column] = caption;
    if (m_listener != nullptr) {
        m_listener->columnCaptionChanged(column, caption);
    }
}

std::size_t ResultTable::appendRow(const std::string& caption) {
    std::lock_guard lock(m_mutex);
    return appendRowLocked(caption);
}

std::size_t ResultTable::appendRowLocked(const std::string& caption) {
    m_rows.push_back(ResultRow{caption, std::vector<std::string>(m_captions.size() - 1)});
    if (m_listener != nullptr) {
        m_listener->rowAppended(m_rows.back());
    }
    return m_rows.size() - 1;
}

void ResultTable::clearRows() {
    std::lock_guard lock(m_mutex);
    m_rows.clear();
    if (m_listener != nullptr) {
        m_listener->rowsCleared();
    }
}

void ResultTable::removeRows(std::vector<std::size_t> rows) {
    std::lock_guard lock(m_mutex);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::lower_bound(rows.begin(), rows.end(), m_rows.size()), rows.end());
    if (rows.empty()) {
        return;
    }
    std::size_t next = 0;
    std::size_t kept = 0;
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        if (next < rows.size() && rows[next] == index) {
            ++next;
            continue;
        }
        if (kept != index) {
            m_rows[kept] = std::move(m_rows[index]);
        }
        ++kept;
    }
    m_rows.resize(kept);
    if (m_listener != nullptr) {
        m_listener->rowsRemoved(rows);
    }
}

std::size_t ResultTable::removeRowsIf(const std::function<bool(const ResultRow&)>& predicate) {
    std::lock_guard lock(m_mutex);
    std::vector<std::size_t> removed;
    std::size_t kept = 0;
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        if (predicate(m_rows[index])) {
            removed.push_back(index);
            continue;
        }
        if (kept != index) {
            m_rows[kept] = std::move(m_rows[index]);
        }
        ++kept;
    }
    m_rows.resize(kept);
    if (!removed.empty() && m_listener != nullptr) {
        m_listener->rowsRemoved(removed);
    }
    return removed.size();
}

void ResultTable::setRowCaption(std::size_t row, const std::string& caption) {
    std::lock_guard lock(m_mutex);
    if (row >= m_rows.size()) {
        return;
    }
    m_rows[row].caption = caption;
    if (m_listener != nullptr) {
        m_listener->rowCaptionChanged(row, caption);
    }
}

void ResultTable::setCell(std::size_t row, std::size_t cell, const std::string& mark) {
    std::lock_guard lock(m_mutex);
    setCellLocked(row, cell, mark);
}

void ResultTable::setCellLocked(std::size_t row, std::size_t cell, const std::string& mark) {
    if (row >= m_rows.size()) {
        return;
    }
    m_rows[row].setCell(cell, mark);
    if (m_listener != nullptr) {
        m_listener->cellChanged(row, cell, mark);
    }
}

bool ResultTable::setCellChecked(std::size_t row, std::size_t column, std::string_view rowCaption,
                                 std::string_view columnCaption, const std::string& mark) {
    std::lock_guard lock(m_mutex);
    if (column == 0 || column >= m_captions.size() || row >= m_rows.size() || m_captions[column] != columnCaption ||
        m_rows[row].caption != rowCaption) {
        return false;
    }
    setCellLocked(row, column - 1, mark);
    return true;
}

PlacedMark ResultTable::placeMark(const std::string& name, std::string_view suffix, const std::string& mark) {
    std::lock_guard lock(m_mutex);
    PlacedMark placed;
    if (!m_rows.empty() && m_rows.back().caption == name) {
        placed.row = m_rows.size() - 1;
    } else {
        placed.row = appendRowLocked(name);
        placed.rowAppended = true;
    }
    const int column = suffixColumnLocked(suffix);
    if (column > 0) {
        setCellLocked(placed.row, static_cast<std::size_t>(column - 1), mark);
        placed.written = true;
    }
    return placed;
}

} // namespace cvt
