#pragma once

#include "platform/MemberDispatch.h"
#include "platform/SpreadsheetModel.h"

#include <memory>

namespace cvt {

// The font of a part of a sheet: Bold, Name, Size. A get reads the area's first cell; a put sets
// the attribute on every cell of the area.
class SpreadsheetFont : public MemberDispatch {
public:
    SpreadsheetFont(std::shared_ptr<SheetData> sheet, SheetArea area);

private:
    std::shared_ptr<SheetData> m_sheet;
    SheetArea m_area;
};

} // namespace cvt
