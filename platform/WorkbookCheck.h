#pragma once

#include <filesystem>

namespace cvt {

// Reads a written .xlsx file back and checks that every worksheet in it is complete (its XML ends
// with the closing worksheet tag). The workbook library stages the sheets in temporary files
// whose write errors it does not report, so a full disk or a file-size limit can otherwise yield
// a well-formed zip holding a cut-off sheet. Raises EWorkbookError when the file is unreadable,
// not a zip, or a sheet is cut off.
void checkWorkbookComplete(const std::filesystem::path& path);

} // namespace cvt
