#pragma once

#include "core/journal/Journal.h"
#include "core/query/ResultTable.h"

#include <string>
#include <vector>

namespace cvt {

// The suffixes of a search as the journal keeps them ("com,net"), one by one.
std::vector<std::string> searchSuffixes(const JournalSearch& search);

// A journaled search as a result table: the name column captioned `nameCaption`, a column per
// suffix of the search, a row per name with a journaled cell, in row order; cells of suffixes the
// search does not name are left out.
ResultTableSnapshot searchTable(const Journal& journal, const JournalSearch& search, const std::string& nameCaption);

} // namespace cvt
