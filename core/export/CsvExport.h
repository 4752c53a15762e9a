#pragma once

#include "core/query/ResultTable.h"

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cvt {

// The table as comma-separated values for spreadsheet programs: UTF-8 with a byte-order mark, a
// header row with the column captions, then one row per result with its name and one field per
// suffix column (missing cells empty, cells without a column left out); every line ends in CR LF.
// A field holding a comma, a double quote, CR or LF is quoted, its quotes doubled. A name or
// caption that a spreadsheet would take for a formula (it starts with =, +, -, @, TAB or CR) gets a
// leading apostrophe so that it stays text.
std::string ExportCsvBytes(const ResultTableSnapshot& table);

// One more column after the suffixes: its caption and a field for every row, in row order.
struct CsvLastColumn {
    std::string caption;
    std::vector<std::string> fields;
};

// The CSV form for programs rather than spreadsheets: with forSpreadsheets off, no byte-order mark
// and no apostrophe before a formula-like field; with header off, no caption row; with a last
// column, its fields after the marks (written as they are, quoted when needed).
struct CsvLayout {
    bool forSpreadsheets = true;
    bool header = true;
    std::optional<CsvLastColumn> last;
};
std::string ExportCsvBytes(const ResultTableSnapshot& table, const CsvLayout& layout);

// Writes the CSV form to the file the way ExportToText writes the text form.
void ExportToCsv(const ResultTableSnapshot& table, const std::filesystem::path& fileName,
                 const std::atomic<bool>* cancel = nullptr);

} // namespace cvt
