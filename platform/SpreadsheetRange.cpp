#include "platform/SpreadsheetRange.h"

#include "platform/EOleError.h"
#include "platform/SpreadsheetFont.h"
#include "platform/SpreadsheetSheet.h"

namespace cvt {

SpreadsheetRange::SpreadsheetRange(std::shared_ptr<ApplicationData> application, std::shared_ptr<SheetData> sheet,
                                   SheetArea area)
    : MemberDispatch("Range"), m_application(std::move(application)), m_sheet(std::move(sheet)), m_area(area) {
    addProperty("Font", [this](const Args& args) {
        requireArgCount("Font", args, 0, 0);
        return OleVariant(std::make_shared<SpreadsheetFont>(m_sheet, m_area));
    });
    // The same cells seen as whole columns or rows; AutoFit on them fits the column widths.
    for (const char* name : {"Columns", "Rows"}) {
        addProperty(name, [this, name](const Args& args) {
            requireArgCount(name, args, 0, 0);
            return OleVariant(std::make_shared<SpreadsheetRange>(m_application, m_sheet, m_area));
        });
    }
    addProperty(
        "Value",
        [this](const Args& args) {
            requireArgCount("Value", args, 0, 0);
            auto found = m_sheet->cells.find(m_area.firstCell());
            return found == m_sheet->cells.end() ? OleVariant() : found->second;
        },
        [this](const Args& args, const OleVariant& value) {
            requireArgCount("Value", args, 0, 0);
            if (m_area.kind != SheetArea::Kind::Cell) {
                throw EOleError("\"Value\" of Range can be set on a single cell only");
            }
            SpreadsheetSheet::storeCell(*m_sheet, m_area.firstCell(), value);
        });
    addMethod("Select", [this](const Args& args) {
        requireArgCount("Select", args, 0, 0);
        if (activeSheet(*m_application) != m_sheet) {
            throw EOleError("Select method of Range class failed: the sheet is not the active sheet");
        }
        m_application->selectionSheet = m_sheet;
        m_application->selection = m_area;
        return OleVariant();
    });
    addMethod("AutoFit", [this](const Args& args) {
        requireArgCount("AutoFit", args, 0, 0);
        autoFitColumns(*m_sheet, m_area);
        return OleVariant();
    });
}

} // namespace cvt
