#include "core/query/ResultTable.h"

#include "text/TextUtil.h"

#include <set>

namespace cvt {

ResultTable::ResultTable(std::string nameColumnCaption) {
    m_captions.push_back(std::move(nameColumnCaption));
}

std::string ResultTable::columnCaption(std::size_t column) const {
    return column < m_captions.size() ? m_captions[column] : std::string();
}

std::string ResultTable::rowCaption(std::size_t row) const {
    return row < m_rows.size() ? m_rows[row].caption : std::string();
}

Mark ResultTable::cell(std::size_t row, std::size_t cell) const {
    if (row >= m_rows.size() || cell >= m_rows[row].cells.size()) {
        return Mark::Unasked;
    }
    return m_rows[row].cells[cell];
}

ResultRow ResultTable::row(std::size_t row) const {
    return row < m_rows.size() ? m_rows[row] : ResultRow{};
}

int ResultTable::SuffixColumn(std::string_view suffix) const {
    for (std::size_t column = 1; column < m_captions.size(); ++column) {
        if (m_captions[column] == suffix) {
            return static_cast<int>(column);
        }
    }
    return -1;
}

void ResultTable::appendColumn(const std::string& caption) {
    m_captions.push_back(caption);
}

std::optional<std::size_t> ResultTable::RemoveSuffixColumn(std::string_view caption) {
    const int found = SuffixColumn(caption);
    if (found < 0) {
        return std::nullopt;
    }
    const auto column = static_cast<std::size_t>(found);
    m_captions.erase(m_captions.begin() + found);
    for (ResultRow& row : m_rows) {
        row.eraseCell(column - 1);
    }
    return column;
}

void ResultTable::setColumnCaption(std::size_t column, const std::string& caption) {
    if (column < m_captions.size()) {
        m_captions[column] = caption;
    }
}

void ResultTable::alignSuffixColumns(const std::vector<ServerEntry>& entries,
                                     const std::function<void(std::size_t)>& removed,
                                     const std::function<void(const std::string&)>& appended) {
    std::set<std::string, std::less<>> ticked;
    for (const ServerEntry& entry : entries) {
        if (entry.ticked) {
            ticked.emplace(trim(entry.caption));
        }
    }
    for (const ServerEntry& entry : entries) {
        const std::string caption(trim(entry.caption));
        if (!entry.ticked) {
            if (ticked.contains(caption)) {
                continue;
            }
            if (const std::optional<std::size_t> column = RemoveSuffixColumn(caption); column && removed) {
                removed(*column);
            }
        } else if (SuffixColumn(caption) == -1) {
            appendColumn(caption);
            if (appended) {
                appended(caption);
            }
        }
    }
}

std::size_t ResultTable::appendRow(const std::string& caption) {
    m_rows.push_back(ResultRow{caption, std::vector<Mark>(m_captions.size() - 1), {}});
    return m_rows.size() - 1;
}

void ResultTable::clearRows() {
    m_rows.clear();
    m_rows.shrink_to_fit();
}

std::vector<std::size_t> ResultTable::removeRowsIf(const std::function<bool(const ResultRow&)>& predicate) {
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
    return removed;
}

void ResultTable::setRowCaption(std::size_t row, const std::string& caption) {
    if (row < m_rows.size()) {
        m_rows[row].caption = caption;
    }
}

void ResultTable::setCell(std::size_t row, std::size_t cell, Mark mark, const std::string& detail) {
    if (row < m_rows.size()) {
        m_rows[row].setCell(cell, mark, detail);
    }
}

int ResultTable::writeAnswer(std::size_t row, std::string_view suffix, Mark mark, const std::string& detail) {
    const int column = SuffixColumn(suffix);
    if (column <= 0 || row >= m_rows.size()) {
        return -1;
    }
    m_rows[row].setCell(static_cast<std::size_t>(column - 1), mark, detail);
    return column;
}

} // namespace cvt
