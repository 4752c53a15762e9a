#pragma once

#include "core/query/ResultTable.h"

namespace cvt {

// The test of "clear registered names": true for a row none of whose cells is free ("☆"), failed
// ("-") or empty, so also for a row without cells.
bool isRegisteredOnlyRow(const ResultRow& row);

} // namespace cvt
