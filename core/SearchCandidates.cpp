#include "core/SearchCandidates.h"

#include "core/PatternExpansion.h"
#include "core/TextUtil.h"

namespace cvt {

SearchCandidates SearchCandidates::prepare(SearchMode mode, std::string_view patternText, NameList words) {
    SearchCandidates candidates;
    candidates.names = mode == SearchMode::Pattern ? PreparePatternCandidates(patternText) : std::move(words);
    // One look at all the bytes settles the usual case of a clean list.
    if (hasControlCharacter(candidates.names.bytes())) {
        candidates.dropped = candidates.names.eraseIf(hasControlCharacter);
    }
    candidates.names.sortIgnoreCase();
    return candidates;
}

} // namespace cvt
