#include "platform/SpreadsheetSheet.h"

#include "platform/EOleError.h"
#include "platform/SpreadsheetRange.h"

#include <algorithm>

namespace cvt {

namespace {

void makeActive(ApplicationData& application, const std::shared_ptr<WorkbookData>& workbook,
                const std::shared_ptr<SheetData>& sheet) {
    auto book = std::find(application.workbooks.begin(), application.workbooks.end(), workbook);
    auto page = std::find(workbook->sheets.begin(), workbook->sheets.end(), sheet);
    if (book == application.workbooks.end() || page == workbook->sheets.end()) {
        throw EOleError("The sheet is no longer part of an open workbook");
    }
    application.activeWorkbook = static_cast<std::size_t>(book - application.workbooks.begin());
    workbook->activeSheet = static_cast<std::size_t>(page - workbook->sheets.begin());
    if (application.selectionSheet != sheet) {
        application.selectionSheet = sheet;
        application.selection = SheetArea{SheetArea::Kind::Cell, 1, 1};
    }
}

} // namespace

SpreadsheetSheet::SpreadsheetSheet(std::shared_ptr<ApplicationData> application, std::shared_ptr<WorkbookData> workbook,
                                   std::shared_ptr<SheetData> sheet)
    : MemberDispatch("Worksheet"), m_application(std::move(application)), m_workbook(std::move(workbook)),
      m_sheet(std::move(sheet)) {
    addProperty(
        "Name",
        [this](const Args& args) {
            requireArgCount("Name", args, 0, 0);
            return OleVariant(m_sheet->name);
        },
        [this](const Args& args, const OleVariant& value) {
            requireArgCount("Name", args, 0, 0);
            validateSheetName(*m_workbook, m_sheet.get(), value.asString());
            m_sheet->name = value.asString();
        });
    addProperty(
        "Cells",
        [this](const Args& args) {
            return OleVariant(std::make_shared<SpreadsheetRange>(m_application, m_sheet, cellsArea(args)));
        },
        [this](const Args& args, const OleVariant& value) {
            requireArgCount("Cells", args, 2, 2);
            const SheetArea area = cellsArea(args);
            storeCell(*m_sheet, CellPosition{area.row, area.column}, value);
        });
    addProperty("Rows", [this](const Args& args) {
        return OleVariant(std::make_shared<SpreadsheetRange>(m_application, m_sheet, rowsArea(args)));
    });
    for (const char* name : {"Activate", "Select"}) {
        addMethod(name, [this, name](const Args& args) {
            requireArgCount(name, args, 0, 0);
            makeActive(*m_application, m_workbook, m_sheet);
            return OleVariant();
        });
    }
}

SheetArea SpreadsheetSheet::cellsArea(const std::vector<OleVariant>& args) {
    if (args.empty()) {
        return SheetArea{SheetArea::Kind::AllCells, 1, 1};
    }
    if (args.size() != 2) {
        throw EOleError("Invalid number of parameters for \"Cells\": " + std::to_string(args.size()));
    }
    const std::int32_t row = indexArgument("Cells", args[0]);
    const std::int32_t column = indexArgument("Cells", args[1]);
    if (row > kMaxSheetRows || column > kMaxSheetColumns) {
        throw EOleError("Invalid cell (" + std::to_string(row) + ", " + std::to_string(column) +
                        "): beyond the last row or column of a sheet");
    }
    return SheetArea{SheetArea::Kind::Cell, row, column};
}

SheetArea SpreadsheetSheet::rowsArea(const std::vector<OleVariant>& args) {
    if (args.empty()) {
        return SheetArea{SheetArea::Kind::AllCells, 1, 1};
    }
    if (args.size() != 1) {
        throw EOleError("Invalid number of parameters for \"Rows\": " + std::to_string(args.size()));
    }
    const std::int32_t row = indexArgument("Rows", args[0]);
    if (row > kMaxSheetRows) {
        throw EOleError("Invalid row " + std::to_string(row) + ": beyond the last row of a sheet");
    }
    return SheetArea{SheetArea::Kind::Row, row, 1};
}

void SpreadsheetSheet::storeCell(SheetData& sheet, CellPosition cell, const OleVariant& value) {
    switch (value.kind()) {
    case VariantKind::Empty:
        sheet.cells.erase(cell);
        return;
    case VariantKind::Dispatch:
        throw EOleError("Type mismatch: a cell holds a text, a number or a boolean, not an object");
    case VariantKind::Boolean:
    case VariantKind::Integer:
    case VariantKind::Double:
    case VariantKind::String:
        sheet.cells[cell] = value;
        return;
    }
}

} // namespace cvt
