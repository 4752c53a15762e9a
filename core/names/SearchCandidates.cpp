#include "core/names/SearchCandidates.h"

#include "core/names/NameEncoding.h"
#include "core/names/PatternExpansion.h"
#include "text/IdnName.h"
#include "text/TextUtil.h"

namespace cvt {

namespace {

// Brings the names beyond ASCII to the form they are shown and asked in; the names libidn2 refuses
// leave the list.
void convertInternationalNames(NameList& names, RefusedNames& refused) {
    if (!IdnName::isInternational(names.bytes())) {
        return;
    }
    NameList converted;
    converted.reserve(names.size(), names.byteSize());
    for (const std::string_view name : names) {
        if (!IdnName::isInternational(name)) {
            converted.push_back(name);
            continue;
        }
        const IdnConversion shown = IdnName::toCandidate(trim(name));
        if (shown.refused()) {
            refused.add(trim(name), shown.refusal);
        } else {
            converted.push_back(shown.name);
        }
    }
    names = std::move(converted);
}

} // namespace

SearchCandidates SearchCandidates::prepare(SearchMode mode, std::string_view patternText, NameList words) {
    SearchCandidates candidates;
    // The pattern's whole list at once, which is quicker than collecting streamPattern's names.
    candidates.names = mode == SearchMode::Pattern ? PreparePatternCandidates(patternText) : std::move(words);
    // One look at all the bytes settles the usual case of a clean list.
    if (hasControlCharacter(candidates.names.bytes())) {
        candidates.dropped = candidates.names.eraseIf(hasControlCharacter);
    }
    // GBK names become UTF-8 here, so the table, its exports and the queries all hold one text.
    candidates.undecodable = convertNamesToUtf8(candidates.names);
    convertInternationalNames(candidates.names, candidates.refused);
    candidates.names.sortIgnoreCase();
    return candidates;
}

std::size_t SearchCandidates::streamPattern(std::string_view patternText,
                                            const std::function<void(std::string_view)>& sink, RefusedNames* refused) {
    std::size_t dropped = 0;
    StreamPatternCandidates(patternText, [&](std::string_view name) {
        if (hasControlCharacter(name)) {
            ++dropped;
        } else if (!IdnName::isInternational(name)) {
            sink(name);
        } else if (const IdnConversion shown = IdnName::toCandidate(trim(name)); !shown.refused()) {
            sink(shown.name);
        } else {
            ++dropped;
            if (refused != nullptr) {
                refused->add(trim(name), shown.refusal);
            }
        }
    });
    return dropped;
}

} // namespace cvt
