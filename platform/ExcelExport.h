#pragma once

#include "core/TextExport.h"
#include "platform/OleRegistry.h"

#include <filesystem>
#include <string_view>

namespace cvt {

// The information box shown when a spreadsheet export fails, in either language.
inline constexpr std::string_view kExcelCancelledMessage = "Excel transaction cancelled.";

// Copies the table into a new workbook of the spreadsheet server registered as "Excel.Application"
// and shows it: caption "Domain List", a sheet named "Domain" with the column captions in row 1
// and one row per result below (name, then one cell per suffix column; a row with fewer cells
// than columns gets empty cells, cells without a column are left out), row 1 bold, everything in
// Arial 9, columns fitted to their texts. Raises EOleError at the first failed call; cells written
// before it stay in the workbook. The caller shows kExcelCancelledMessage then.
void ExportToExcel(const ResultTableSnapshot& table, const OleRegistry& registry = OleRegistry::global());

// Writes the table to a file: a name ending in ".xlsx" (letter case ignored) gets a workbook made
// by the same calls as ExportToExcel, saved there instead of shown; any other name gets the text
// export. Raises EOleError or ECreateFileError on failure.
void ExportToFile(const ResultTableSnapshot& table, const std::filesystem::path& fileName);

} // namespace cvt
