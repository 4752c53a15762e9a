#pragma once

#include "core/names/NameList.h"
#include "core/names/SearchRefusal.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// One position of a query pattern: the one-byte strings allowed there, in the order the pattern
// names them (neither sorted nor free of duplicates; possibly empty, from "[]").
struct TItem {
    std::vector<std::string> Chars;
};

// The largest number of combinations a pattern may have before it is refused.
inline constexpr std::uint64_t kMaxPatternCombinations = 16777216;

// A pattern the Search command refuses: the reason as a value (refusal()), which the front ends
// word; what() names it plainly for logs.
class PatternError : public std::runtime_error {
public:
    explicit PatternError(SearchRefusal::Reason reason, std::uint64_t combinations = 0);
    // combinationsText: the exact number of combinations in decimal.
    PatternError(SearchRefusal::Reason reason, std::uint64_t combinations, std::string combinationsText);

    const SearchRefusal& refusal() const { return m_refusal; }
    // The number of combinations, for TooManyCombinations (saturated at UINT64_MAX).
    std::uint64_t combinations() const { return m_combinations; }

private:
    SearchRefusal m_refusal;
    std::uint64_t m_combinations;
};

// Reads an already trimmed pattern into its positions, left to right. Only the first element and
// the 200 bytes that follow it are read. Throws PatternError (UnclosedBracket) on a "[" with no
// later "]".
std::vector<TItem> ParsePattern(std::string_view trimmedPattern);

// The product of the position sizes, saturated at UINT64_MAX (0 for no positions or an empty one).
std::uint64_t CountCombinations(const std::vector<TItem>& positions);

// True when the text, trimmed of blanks, is empty or begins or ends with c.
bool RejectCandidate(std::string_view text, char c);

// The checks of the Search command's preparation alone, which are quick: throws PatternError as
// PreparePatternCandidates does, without making any name.
void CheckPattern(std::string_view patternBoxText);

// Steps 1 to 4 of the Search command's preparation, applied to the text of the pattern box (which
// is trimmed here): parse, combine in odometer order, drop unusable names and trim the others, then
// sort and de-duplicate as SortUnique does. Throws PatternError for an empty pattern
// (EmptyPattern), an unclosed "[" (UnclosedBracket) and more than kMaxPatternCombinations
// combinations (TooManyCombinations). When positions is given it
// receives the parsed positions.
NameList PreparePatternCandidates(std::string_view patternBoxText, std::vector<TItem>* positions = nullptr);

// The same names in the same order (which step 5, the case-insensitive sort, leaves unchanged),
// handed to sink one by one; for the usual patterns without holding the list in memory. Returns
// their number. Throws as PreparePatternCandidates does, before the first name.
std::size_t StreamPatternCandidates(std::string_view patternBoxText, const std::function<void(std::string_view)>& sink,
                                    std::vector<TItem>* positions = nullptr);

} // namespace cvt
