#pragma once

#include "core/ResultTable.h"

#include <iosfwd>

namespace cvt::cli {

// The table as CSV (RFC 4180): UTF-8 with a byte-order mark, a header row of the column captions,
// one record per row padded to the column count, CR LF after every record. A field holding a comma,
// a double quote, CR or LF is quoted; a name or caption a spreadsheet program would take for a
// formula (starting with =, +, -, @, TAB or CR) gets a leading apostrophe so it stays text.
void writeCsvTable(const ResultTableSnapshot& table, std::ostream& out);

} // namespace cvt::cli
