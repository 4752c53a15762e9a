#include "platform/SpreadsheetSheets.h"

#include "platform/SpreadsheetSheet.h"

#include <algorithm>

namespace cvt {

SpreadsheetSheets::SpreadsheetSheets(std::shared_ptr<ApplicationData> application,
                                     std::shared_ptr<WorkbookData> workbook)
    : MemberDispatch("Sheets"), m_application(std::move(application)), m_workbook(std::move(workbook)) {
    addProperty("Count", [this](const Args& args) {
        requireArgCount("Count", args, 0, 0);
        return OleVariant(static_cast<std::int32_t>(m_workbook->sheets.size()));
    });
    addProperty("Item", [this](const Args& args) {
        requireArgCount("Item", args, 1, 1);
        return OleVariant(
            std::make_shared<SpreadsheetSheet>(m_application, m_workbook, findSheet(*m_workbook, args[0])));
    });
    addMethod("Add", [this](const Args& args) {
        requireArgCount("Add", args, 0, 0);
        auto sheet = std::make_shared<SheetData>();
        do {
            sheet->name = "Sheet" + std::to_string(m_workbook->nextSheetNumber++);
        } while (std::any_of(m_workbook->sheets.begin(), m_workbook->sheets.end(),
                             [&sheet](const auto& other) { return other->name == sheet->name; }));
        const std::size_t position = m_workbook->sheets.empty() ? 0 : m_workbook->activeSheet;
        m_workbook->sheets.insert(m_workbook->sheets.begin() + static_cast<std::ptrdiff_t>(position), sheet);
        m_workbook->activeSheet = position;
        m_application->selectionSheet = sheet;
        m_application->selection = SheetArea{SheetArea::Kind::Cell, 1, 1};
        return OleVariant(std::make_shared<SpreadsheetSheet>(m_application, m_workbook, sheet));
    });
}

} // namespace cvt
