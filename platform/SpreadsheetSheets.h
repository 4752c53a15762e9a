#pragma once

#include "platform/MemberDispatch.h"
#include "platform/SpreadsheetModel.h"

#include <memory>

namespace cvt {

// A workbook's sheets: Add (a new sheet before the active one, made active), Count, Item.
class SpreadsheetSheets : public MemberDispatch {
public:
    SpreadsheetSheets(std::shared_ptr<ApplicationData> application, std::shared_ptr<WorkbookData> workbook);

private:
    std::shared_ptr<ApplicationData> m_application;
    std::shared_ptr<WorkbookData> m_workbook;
};

} // namespace cvt
