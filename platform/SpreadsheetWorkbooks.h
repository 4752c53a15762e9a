#pragma once

#include "platform/MemberDispatch.h"
#include "platform/SpreadsheetModel.h"

#include <memory>

namespace cvt {

// The application's collection of open workbooks: Add, Count, Item (index or name).
class SpreadsheetWorkbooks : public MemberDispatch {
public:
    explicit SpreadsheetWorkbooks(std::shared_ptr<ApplicationData> application);

    // The workbook at a 1-based index or with the name; EOleError if none.
    static std::shared_ptr<WorkbookData> find(const ApplicationData& application, const OleVariant& key);
    // Opens a new workbook with one sheet and makes it active.
    static std::shared_ptr<WorkbookData> add(ApplicationData& application);

private:
    std::shared_ptr<ApplicationData> m_application;
};

} // namespace cvt
