#pragma once

#include "platform/MemberDispatch.h"
#include "platform/SpreadsheetModel.h"

#include <memory>

namespace cvt {

// One workbook: Name, Sheets and WorkSheets (the collection, or one sheet by index or name).
class SpreadsheetWorkbook : public MemberDispatch {
public:
    SpreadsheetWorkbook(std::shared_ptr<ApplicationData> application, std::shared_ptr<WorkbookData> workbook);

private:
    std::shared_ptr<ApplicationData> m_application;
    std::shared_ptr<WorkbookData> m_workbook;
};

} // namespace cvt
