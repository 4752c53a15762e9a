#pragma once

#include "core/names/NameList.h"
#include "core/names/RefusedNames.h"
#include "core/query/QueryEngine.h"

#include <cstddef>
#include <functional>
#include <string_view>

namespace cvt {

// The names a Search asks, in the order it asks them, and how many it left out.
struct SearchCandidates {
    NameList names;
    // The A-label form of each name beyond ASCII or with a label that claims to be an A-label, line
    // for line with names (empty for the others, which are asked as written); empty when no name
    // needs one, so a list of plain ASCII names holds nothing here.
    NameList aLabels;
    std::size_t dropped = 0;     // names holding a control character
    std::size_t undecodable = 0; // names that are neither UTF-8 nor GBK
    RefusedNames refused;        // international names without an A-label form

    // The pattern's names (PreparePatternCandidates) or the word list, less the names holding a
    // control character (a line break inside a name would reach the server as a query line of its
    // own), brought to UTF-8 (convertNamesToUtf8: GBK names converted, names that are neither left
    // out), names beyond ASCII brought to the form they are shown and asked in (IdnName::toCandidate:
    // refused names are left out and kept in refused; ASCII names with a label starting "xn--" are
    // checked the same way and kept as written; the A-label forms met on the way go to aLabels), sorted without regard
    // to letter case; the sort is stable, so the duplicates a word list may hold stay next to each other, and a
    // pattern's names are in this order already. Throws PatternError as PreparePatternCandidates does.
    static SearchCandidates prepare(SearchMode mode, std::string_view patternText, NameList words);

    // The same names for a pattern, left out by the same rule, handed to sink one by one in the
    // order a Search asks them (StreamPatternCandidates gives PreparePatternCandidates' names), for
    // the usual patterns without holding the list: the expand command prints them so. Returns the
    // number left out; refused, when given, collects the international names among them. Throws
    // PatternError before the first name.
    static std::size_t streamPattern(std::string_view patternText, const std::function<void(std::string_view)>& sink,
                                     RefusedNames* refused = nullptr);
};

} // namespace cvt
