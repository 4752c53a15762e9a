#pragma once

#include "core/names/NameList.h"
#include "core/query/ResultTable.h"
#include "platform/WorkbookWriter.h"

#include <atomic>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace cvt {

// The information box shown when a spreadsheet export fails, in either language.
inline constexpr std::string_view kExcelCancelledMessage = "Excel transaction cancelled.";

// The information box shown when the workbook was written but nothing on the desktop opens it.
std::string workbookNotOpenedMessage(const std::filesystem::path& savedTo);

// The name the save dialog offers for a workbook made at the given time: domains-YYYYMMDD-HHMM.xlsx.
std::string defaultWorkbookName(std::time_t now);

// Copies the table into a workbook and saves it to the path: caption "Domain List", a sheet named
// "Domain" with the column captions in row 1 and one row per result below (name, then one cell
// per suffix column; a row with fewer cells than columns gets empty cells, cells without a column
// are left out), row 1 bold, everything in Arial 9, columns fitted to their texts. Every text is a
// text cell. Raises EWorkbookError when the workbook cannot be made or written, EExportCancelled
// when the flag is set before it is complete; either way no file is left at the path.
void ExportToExcel(const ResultTableSnapshot& table, WorkbookWriter& writer, const std::filesystem::path& path,
                   const std::atomic<bool>* cancel = nullptr);

// The same with the .xlsx writer.
void ExportToWorkbookFile(const ResultTableSnapshot& table, const std::filesystem::path& path,
                          const std::atomic<bool>* cancel = nullptr);

// Writes the table to a file in the format its name asks for (letter case ignored): ".xlsx" a
// workbook, ".csv" comma-separated values, anything else the text export. Raises EWorkbookError,
// ECreateFileError or EExportCancelled.
void ExportToFile(const ResultTableSnapshot& table, const std::filesystem::path& fileName,
                  const std::atomic<bool>* cancel = nullptr);

// Whether ExportToFile makes a workbook of the file: its name ends in ".xlsx" (letter case ignored).
bool IsWorkbookFileName(const std::filesystem::path& fileName);

// Checks, before a run, that ExportToFile could write the file now, leaving nothing behind. Raises
// ECreateFileError or EWorkbookError with the reason.
void CheckExportTarget(const std::filesystem::path& fileName);

// Checks that a workbook's sheet holds a row for each of the names below the captions' row, and
// each name in its cell. Raises EWorkbookError saying which limit the names pass.
void CheckSheetHolds(const NameList& names);

} // namespace cvt
