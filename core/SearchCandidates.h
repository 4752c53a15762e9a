#pragma once

#include "core/NameList.h"
#include "core/QueryEngine.h"

#include <cstddef>
#include <string_view>

namespace cvt {

// The names a Search asks, in the order it asks them, and how many it left out.
struct SearchCandidates {
    NameList names;
    std::size_t dropped = 0; // names holding a control character

    // The pattern's names (PreparePatternCandidates) or the word list, less the names holding a
    // control character (a line break inside a name would reach the server as a query line of its
    // own), sorted without regard to letter case; the sort is stable, so the duplicates a word list
    // may hold stay next to each other, and a pattern's names are in this order already. Throws
    // PatternError as PreparePatternCandidates does. The Search command and the expand command
    // both take their names from here.
    static SearchCandidates prepare(SearchMode mode, std::string_view patternText, NameList words);
};

} // namespace cvt
