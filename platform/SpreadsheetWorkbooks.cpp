#include "platform/SpreadsheetWorkbooks.h"

#include "platform/EOleError.h"
#include "platform/SpreadsheetWorkbook.h"

#include <algorithm>
#include <cmath>

namespace cvt {

SpreadsheetWorkbooks::SpreadsheetWorkbooks(std::shared_ptr<ApplicationData> application)
    : MemberDispatch("Workbooks"), m_application(std::move(application)) {
    addProperty("Count", [this](const Args& args) {
        requireArgCount("Count", args, 0, 0);
        return OleVariant(static_cast<std::int32_t>(m_application->workbooks.size()));
    });
    addProperty("Item", [this](const Args& args) {
        requireArgCount("Item", args, 1, 1);
        return OleVariant(std::make_shared<SpreadsheetWorkbook>(m_application, find(*m_application, args[0])));
    });
    addMethod("Add", [this](const Args& args) {
        requireArgCount("Add", args, 0, 0);
        return OleVariant(std::make_shared<SpreadsheetWorkbook>(m_application, add(*m_application)));
    });
}

std::shared_ptr<WorkbookData> SpreadsheetWorkbooks::find(const ApplicationData& application, const OleVariant& key) {
    if (key.kind() == VariantKind::String) {
        auto found = std::find_if(application.workbooks.begin(), application.workbooks.end(),
                                  [&key](const auto& workbook) { return workbook->name == key.asString(); });
        if (found != application.workbooks.end()) {
            return *found;
        }
        throw EOleError("Subscript out of range: no workbook named " + key.describe());
    }
    if (key.kind() == VariantKind::Integer || key.kind() == VariantKind::Double) {
        const double index = key.asDouble();
        if (index >= 1 && index <= static_cast<double>(application.workbooks.size()) && std::floor(index) == index) {
            return application.workbooks[static_cast<std::size_t>(index) - 1];
        }
        throw EOleError("Subscript out of range: no workbook " + key.describe());
    }
    throw EOleError(std::string("Type mismatch: a workbook is chosen by index or name, ") +
                    variantKindName(key.kind()) + " given");
}

std::shared_ptr<WorkbookData> SpreadsheetWorkbooks::add(ApplicationData& application) {
    auto workbook = std::make_shared<WorkbookData>();
    workbook->name = "Book" + std::to_string(application.nextWorkbookNumber++);
    auto sheet = std::make_shared<SheetData>();
    sheet->name = "Sheet" + std::to_string(workbook->nextSheetNumber++);
    workbook->sheets.push_back(sheet);
    application.workbooks.push_back(workbook);
    application.activeWorkbook = application.workbooks.size() - 1;
    application.selectionSheet = sheet;
    application.selection = SheetArea{SheetArea::Kind::Cell, 1, 1};
    return workbook;
}

} // namespace cvt
