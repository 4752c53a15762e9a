#include "platform/ExcelExport.h"

#include "core/export/CsvExport.h"
#include "core/export/EExportCancelled.h"
#include "core/export/ExportFile.h"
#include "core/export/MarkGlyph.h"
#include "core/export/TextExport.h"
#include "platform/EWorkbookError.h"
#include "platform/XlsxWorkbookWriter.h"
#include "text/TextUtil.h"

#include <limits>

namespace cvt {

namespace {

constexpr std::size_t kCancelCheckEvery = 4096;

std::uint32_t sheetIndex(std::size_t index) {
    if (index > std::numeric_limits<std::uint32_t>::max()) {
        throw EWorkbookError("The table has more rows or columns than a sheet holds");
    }
    return static_cast<std::uint32_t>(index);
}

} // namespace

std::string workbookNotOpenedMessage(const std::filesystem::path& savedTo) {
    return "Saved to " + savedTo.string() + ". No program was found to open .xlsx files.";
}

std::string defaultWorkbookName(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M", &local);
    return std::string("domains-") + stamp + ".xlsx";
}

// The workbook is made by the same steps, in the same order, as it always was:
//   1  the workbook server is created          -> the writer given
//   2  its caption becomes "Domain List"       -> setTitle
//   3  a workbook is added                     -> (the writer starts an empty workbook)
//   4  a sheet is added to it                  -> addSheet
//   5  the first sheet is named "Domain"       -> (the name given to addSheet)
//   6  that sheet is looked up by name         -> (the calls below go to the sheet added last)
//   7  every caption and cell is written       -> setCell
//   8  row 1 is made bold                      -> setRowBold
//   9  every cell is selected                  -> (the font calls apply to the whole sheet)
//  10  the font becomes Arial                  -> setFontName
//  11  of size 9                               -> setFontSize
//  12  the columns are fitted                  -> fitColumns
//  13  the workbook is shown                   -> save; the caller then opens the file
void ExportToExcel(const ResultTableSnapshot& table, WorkbookWriter& writer, const std::filesystem::path& path,
                   const std::atomic<bool>* cancel) {
    auto checkCancel = [cancel] {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            throw EExportCancelled();
        }
    };
    writer.setTitle("Domain List");
    writer.addSheet("Domain");
    for (std::size_t i = 0; i < table.captions.size(); ++i) {
        writer.setCell(0, sheetIndex(i), table.captions[i]);
    }
    const std::size_t suffixColumns = table.captions.empty() ? 0 : table.captions.size() - 1;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        if (r % kCancelCheckEvery == 0) {
            checkCancel();
        }
        const ResultRow& row = table.rows[r];
        const std::uint32_t sheetRow = sheetIndex(r + 1);
        writer.setCell(sheetRow, 0, row.caption);
        for (std::size_t j = 0; j < suffixColumns; ++j) {
            writer.setCell(sheetRow, sheetIndex(j + 1), markGlyph(j < row.cells.size() ? row.cells[j] : Mark::Unasked));
        }
    }
    writer.setRowBold(0);
    writer.setFontName("Arial");
    writer.setFontSize(9);
    writer.fitColumns();
    checkCancel();
    writer.save(path);
}

void ExportToWorkbookFile(const ResultTableSnapshot& table, const std::filesystem::path& path,
                          const std::atomic<bool>* cancel) {
    XlsxWorkbookWriter writer(cancel);
    ExportToExcel(table, writer, path, cancel);
}

void ExportToFile(const ResultTableSnapshot& table, const std::filesystem::path& fileName,
                  const std::atomic<bool>* cancel) {
    if (IsWorkbookFileName(fileName)) {
        ExportToWorkbookFile(table, fileName, cancel);
    } else if (equalsIgnoreCase(fileName.extension().string(), ".csv")) {
        ExportToCsv(table, fileName, cancel);
    } else {
        ExportToText(table, fileName, cancel);
    }
}

bool IsWorkbookFileName(const std::filesystem::path& fileName) {
    return equalsIgnoreCase(fileName.extension().string(), ".xlsx");
}

void CheckExportTarget(const std::filesystem::path& fileName) {
    if (IsWorkbookFileName(fileName)) {
        XlsxWorkbookWriter::checkTarget(fileName);
    } else {
        ExportFile(fileName).check();
    }
}

void CheckSheetHolds(const NameList& names) {
    constexpr std::size_t kMaxNames = XlsxWorkbookWriter::kMaxRows - 1;
    if (names.size() > kMaxNames) {
        throw EWorkbookError(std::to_string(names.size()) + " names are more than a sheet holds (" +
                             std::to_string(kMaxNames) + " below the captions)");
    }
    for (const std::string_view name : names) {
        if (!XlsxWorkbookWriter::cellTextFits(name)) {
            throw EWorkbookError("the name \"" + std::string(name.substr(0, 40)) +
                                 "...\" is longer than a cell holds (" +
                                 std::to_string(XlsxWorkbookWriter::kMaxCellCharacters) + " characters)");
        }
    }
}

} // namespace cvt
