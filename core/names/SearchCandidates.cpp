#include "core/names/SearchCandidates.h"

#include "core/names/PatternExpansion.h"
#include "text/TextUtil.h"

namespace cvt {

SearchCandidates SearchCandidates::prepare(SearchMode mode, std::string_view patternText, NameList words) {
    SearchCandidates candidates;
    // The pattern's whole list at once, which is quicker than collecting streamPattern's names.
    candidates.names = mode == SearchMode::Pattern ? PreparePatternCandidates(patternText) : std::move(words);
    // One look at all the bytes settles the usual case of a clean list.
    if (hasControlCharacter(candidates.names.bytes())) {
        candidates.dropped = candidates.names.eraseIf(hasControlCharacter);
    }
    candidates.names.sortIgnoreCase();
    return candidates;
}

std::size_t SearchCandidates::streamPattern(std::string_view patternText,
                                            const std::function<void(std::string_view)>& sink) {
    std::size_t dropped = 0;
    StreamPatternCandidates(patternText, [&](std::string_view name) {
        if (hasControlCharacter(name)) {
            ++dropped;
        } else {
            sink(name);
        }
    });
    return dropped;
}

} // namespace cvt
