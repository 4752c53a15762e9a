#pragma once

#include "platform/MemberDispatch.h"
#include "platform/SpreadsheetModel.h"

#include <memory>

namespace cvt {

// One sheet: Name, Cells (all cells, or Cells(row, column), whose put stores a value), Rows,
// Activate and Select.
class SpreadsheetSheet : public MemberDispatch {
public:
    SpreadsheetSheet(std::shared_ptr<ApplicationData> application, std::shared_ptr<WorkbookData> workbook,
                     std::shared_ptr<SheetData> sheet);

    // The area of Cells() or Cells(row, column), with the indices checked against the sheet's size.
    static SheetArea cellsArea(const std::vector<OleVariant>& args);
    // The area of Rows() or Rows(row).
    static SheetArea rowsArea(const std::vector<OleVariant>& args);
    // Stores a cell value; empty clears the cell, an object is refused.
    static void storeCell(SheetData& sheet, CellPosition cell, const OleVariant& value);

private:
    std::shared_ptr<ApplicationData> m_application;
    std::shared_ptr<WorkbookData> m_workbook;
    std::shared_ptr<SheetData> m_sheet;
};

} // namespace cvt
