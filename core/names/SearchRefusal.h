#pragma once

#include <string>

namespace cvt {

// Why the Search command refuses a request, as a value: the front ends word it.
struct SearchRefusal {
    enum class Reason {
        EmptyPattern,        // the pattern box holds only blanks
        UnclosedBracket,     // a "[" with no later "]"
        TooManyCombinations, // more names than kMaxPatternCombinations
        NoServer,            // no server entry is ticked
    };
    Reason reason = Reason::EmptyPattern;
    // TooManyCombinations: the exact number of combinations in decimal; otherwise empty.
    std::string combinations;

    bool operator==(const SearchRefusal&) const = default;
};

} // namespace cvt
