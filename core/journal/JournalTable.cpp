#include "core/journal/JournalTable.h"

#include <algorithm>
#include <functional>
#include <map>

namespace cvt {

std::vector<std::string> searchSuffixes(const JournalSearch& search) {
    std::vector<std::string> suffixes;
    const std::string& list = search.suffixes;
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        suffixes.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return suffixes;
}

ResultTableSnapshot searchTable(const Journal& journal, const JournalSearch& search, const std::string& nameCaption) {
    ResultTableSnapshot table;
    table.captions.push_back(nameCaption);
    std::map<std::string, std::size_t, std::less<>> columns;
    for (const std::string& suffix : searchSuffixes(search)) {
        if (columns.emplace(suffix, table.captions.size() - 1).second) {
            table.captions.push_back(suffix);
        }
    }
    // A row of the table per run of cells with the same row number (the journal returns them in
    // row order), so that a file holding odd row numbers still gives one row per name.
    std::int64_t lastRow = 0;
    journal.forEachCell(search.id, [&](const JournalCell& cell) {
        const auto column = columns.find(cell.suffix);
        if (column == columns.end()) {
            return;
        }
        if (table.rows.empty() || cell.row != lastRow) {
            table.rows.push_back({cell.name, {}});
            table.rows.back().cells.resize(columns.size());
            lastRow = cell.row;
        }
        table.rows.back().setCell(column->second, cell.mark, cell.details);
    });
    return table;
}

} // namespace cvt
