#include "ui/RegisteredRows.h"

#include <algorithm>

namespace cvt {

bool isRegisteredOnlyRow(const ResultRow& row) {
    return std::all_of(row.cells.begin(), row.cells.end(), [](Mark cell) { return cell == Mark::Registered; });
}

} // namespace cvt
