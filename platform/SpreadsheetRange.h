#pragma once

#include "platform/MemberDispatch.h"
#include "platform/SpreadsheetModel.h"

#include <memory>

namespace cvt {

// A part of a sheet: Font, Columns, Rows, Value, Select, AutoFit.
class SpreadsheetRange : public MemberDispatch {
public:
    SpreadsheetRange(std::shared_ptr<ApplicationData> application, std::shared_ptr<SheetData> sheet, SheetArea area);

private:
    std::shared_ptr<ApplicationData> m_application;
    std::shared_ptr<SheetData> m_sheet;
    SheetArea m_area;
};

} // namespace cvt
