#include "platform/SpreadsheetWorkbook.h"

#include "platform/SpreadsheetSheet.h"
#include "platform/SpreadsheetSheets.h"

namespace cvt {

SpreadsheetWorkbook::SpreadsheetWorkbook(std::shared_ptr<ApplicationData> application,
                                         std::shared_ptr<WorkbookData> workbook)
    : MemberDispatch("Workbook"), m_application(std::move(application)), m_workbook(std::move(workbook)) {
    addProperty("Name", [this](const Args& args) {
        requireArgCount("Name", args, 0, 0);
        return OleVariant(m_workbook->name);
    });
    // Sheets and WorkSheets are the same collection here: the workbook holds worksheets only.
    for (const char* name : {"Sheets", "WorkSheets"}) {
        addProperty(name, [this, name](const Args& args) {
            requireArgCount(name, args, 0, 1);
            if (args.empty()) {
                return OleVariant(std::make_shared<SpreadsheetSheets>(m_application, m_workbook));
            }
            return OleVariant(
                std::make_shared<SpreadsheetSheet>(m_application, m_workbook, findSheet(*m_workbook, args[0])));
        });
    }
}

} // namespace cvt
