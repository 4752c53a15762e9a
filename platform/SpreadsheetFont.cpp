#include "platform/SpreadsheetFont.h"

#include "platform/EOleError.h"

namespace cvt {

SpreadsheetFont::SpreadsheetFont(std::shared_ptr<SheetData> sheet, SheetArea area)
    : MemberDispatch("Font"), m_sheet(std::move(sheet)), m_area(area) {
    addProperty(
        "Bold",
        [this](const Args& args) {
            requireArgCount("Bold", args, 0, 0);
            return OleVariant(effectiveFormat(*m_sheet, m_area.firstCell()).bold.value_or(false));
        },
        [this](const Args& args, const OleVariant& value) {
            requireArgCount("Bold", args, 0, 0);
            applyFormat(*m_sheet, m_area, CellFormat{value.asBoolean(), {}, {}});
        });
    addProperty(
        "Name",
        [this](const Args& args) {
            requireArgCount("Name", args, 0, 0);
            return OleVariant(effectiveFormat(*m_sheet, m_area.firstCell()).fontName.value_or(std::string()));
        },
        [this](const Args& args, const OleVariant& value) {
            requireArgCount("Name", args, 0, 0);
            if (value.asString().empty()) {
                throw EOleError("Unable to set the Name property of the Font class: the name is empty");
            }
            applyFormat(*m_sheet, m_area, CellFormat{{}, value.asString(), {}});
        });
    addProperty(
        "Size",
        [this](const Args& args) {
            requireArgCount("Size", args, 0, 0);
            return OleVariant(effectiveFormat(*m_sheet, m_area.firstCell()).fontSize.value_or(11.0));
        },
        [this](const Args& args, const OleVariant& value) {
            requireArgCount("Size", args, 0, 0);
            const double size = value.asDouble();
            if (!(size >= 1.0 && size <= 409.0)) {
                throw EOleError("Unable to set the Size property of the Font class: " + value.describe());
            }
            applyFormat(*m_sheet, m_area, CellFormat{{}, {}, size});
        });
}

} // namespace cvt
