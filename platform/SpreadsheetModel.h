#pragma once

#include "platform/OleVariant.h"

#include <compare>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The workbook model kept by the in-process spreadsheet server: plain data, shared by the dispatch
// objects that expose it, written out by writeWorkbookXlsx.

inline constexpr std::string_view kSpreadsheetProgId = "Excel.Application";
inline constexpr std::int32_t kMaxSheetRows = 1048576;
inline constexpr std::int32_t kMaxSheetColumns = 16384;
inline constexpr std::size_t kMaxSheetNameLength = 31;

// Font attributes; an attribute left empty is taken from the wider level (sheet, row, cell).
struct CellFormat {
    std::optional<bool> bold;
    std::optional<std::string> fontName;
    std::optional<double> fontSize;

    friend bool operator==(const CellFormat&, const CellFormat&) = default;
};

struct CellPosition {
    std::int32_t row = 1;    // 1-based
    std::int32_t column = 1; // 1-based

    friend auto operator<=>(const CellPosition&, const CellPosition&) = default;
};

struct SheetData {
    std::string name;
    std::map<CellPosition, OleVariant> cells; // strings, numbers and booleans; absent = empty
    CellFormat baseFormat{false, std::string("Calibri"), 11.0};
    std::map<std::int32_t, CellFormat> rowFormats;
    std::map<CellPosition, CellFormat> cellFormats;
    std::map<std::int32_t, double> columnWidths; // in character units; absent = default width
};

struct WorkbookData {
    std::string name;
    std::vector<std::shared_ptr<SheetData>> sheets;
    std::size_t activeSheet = 0;
    int nextSheetNumber = 1;
};

// A part of one sheet: every cell, one row, or one cell.
struct SheetArea {
    enum class Kind { AllCells, Row, Cell };
    Kind kind = Kind::AllCells;
    std::int32_t row = 1;
    std::int32_t column = 1;

    CellPosition firstCell() const { return CellPosition{row, kind == Kind::AllCells ? 1 : column}; }
};

struct ApplicationData {
    std::string caption = "Spreadsheet";
    bool visible = false;
    std::vector<std::shared_ptr<WorkbookData>> workbooks;
    std::size_t activeWorkbook = 0;
    int nextWorkbookNumber = 1;
    std::shared_ptr<SheetData> selectionSheet;
    SheetArea selection{SheetArea::Kind::Cell, 1, 1};
};

// The format a cell is shown with: sheet attributes overridden by its row's, then by its own.
CellFormat effectiveFormat(const SheetData& sheet, CellPosition cell);

// Sets the attributes present in `change` on every cell of the area.
void applyFormat(SheetData& sheet, const SheetArea& area, const CellFormat& change);

// Fits the width of every column the area touches to the widest text in that column.
void autoFitColumns(SheetData& sheet, const SheetArea& area);

// The width of a text in character units of the sheet's standard font: code points count one,
// East Asian wide ones two; scaled by font size and weight, with a little padding.
double fittedWidth(std::string_view utf8, const CellFormat& format);

// The text a cell shows: strings as they are, numbers in short form, booleans as TRUE/FALSE.
std::string cellText(const OleVariant& value);

// Raises EOleError unless the name may be given to `renamed` (null for a new sheet): 1 to 31
// characters, none of : \ / ? * [ ], not starting or ending with an apostrophe, and not the name
// of another sheet of the workbook (letter case ignored).
void validateSheetName(const WorkbookData& workbook, const SheetData* renamed, std::string_view name);

// The workbook's sheet at a 1-based index or with the name (letter case ignored); EOleError if none.
std::shared_ptr<SheetData> findSheet(const WorkbookData& workbook, const OleVariant& key);

// The active sheet of the active workbook; EOleError when no workbook is open.
std::shared_ptr<SheetData> activeSheet(const ApplicationData& application);

} // namespace cvt
