#pragma once

#include "platform/SpreadsheetModel.h"

#include <filesystem>
#include <string>

namespace cvt {

// Writes the workbook as an .xlsx file: every sheet in order with its cells, fonts and column
// widths, the title in the document properties. The file is written under a temporary name in the
// same folder and renamed into place, so a failure leaves no half-written workbook behind.
// Raises EOleError with the reason on failure.
void writeWorkbookXlsx(const WorkbookData& workbook, const std::filesystem::path& path, const std::string& title);

// The folder for shown workbooks: $XDG_CACHE_HOME/corvantide when that is an absolute path, else
// $HOME/.cache/corvantide. The values are passed in (null = unset); EOleError when neither helps.
std::filesystem::path spreadsheetCacheFolder(const char* xdgCacheHome, const char* home);

// The same folder from the process environment.
std::filesystem::path spreadsheetCacheFolder();

// A path in the folder for the workbook that no file has yet: "<name>-<yyyymmdd>-<hhmmss>.xlsx",
// with "-2", "-3"... added when that exists.
std::filesystem::path freshWorkbookPath(const std::filesystem::path& folder, const std::string& workbookName);

} // namespace cvt
