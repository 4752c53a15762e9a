#include "ui/RegisteredRows.h"

#include "core/query/ResultMarks.h"

#include <algorithm>

namespace cvt {

bool isRegisteredOnlyRow(const ResultRow& row) {
    return std::none_of(row.cells.begin(), row.cells.end(), [](const std::string& cell) {
        return cell == kMarkFree || cell == kMarkFailed || cell == kMarkNotAsked;
    });
}

} // namespace cvt
