#include "core/names/SearchCandidates.h"

#include "core/names/NameEncoding.h"
#include "core/names/PatternExpansion.h"
#include "text/IdnName.h"
#include "text/TextUtil.h"

#include <optional>
#include <string>

namespace cvt {

namespace {

// Whether a name is checked and maybe converted before it is asked: it holds bytes beyond ASCII, or
// a label that claims to be an A-label (an unsound one would be asked as it stands).
bool needsIdnCheck(std::string_view name) {
    return IdnName::isInternational(name) || IdnName::hasALabel(name);
}

// The form a name that needs the check is asked and shown in: the Unicode form of a name beyond
// ASCII, an ASCII name with sound A-labels as written; nothing when refused, which refused counts.
std::optional<std::string> checkedForm(std::string_view name, RefusedNames& refused) {
    const IdnConversion shown = IdnName::toCandidate(trim(name));
    if (shown.refused()) {
        refused.add(trim(name), shown.refusal);
        return std::nullopt;
    }
    return IdnName::isInternational(name) ? shown.name : std::string(name);
}

// Brings the names beyond ASCII to the form they are shown and asked in; the names libidn2 or the
// script check refuse leave the list.
void convertInternationalNames(NameList& names, RefusedNames& refused) {
    const std::string_view bytes = names.bytes();
    if (!IdnName::isInternational(bytes) && bytes.find("--") == std::string_view::npos) {
        return;
    }
    NameList converted;
    converted.reserve(names.size(), names.byteSize());
    for (const std::string_view name : names) {
        if (!needsIdnCheck(name)) {
            converted.push_back(name);
        } else if (const std::optional<std::string> form = checkedForm(name, refused)) {
            converted.push_back(*form);
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
    RefusedNames unkept;
    RefusedNames& counted = refused != nullptr ? *refused : unkept;
    StreamPatternCandidates(patternText, [&](std::string_view name) {
        if (hasControlCharacter(name)) {
            ++dropped;
        } else if (!needsIdnCheck(name)) {
            sink(name);
        } else if (const std::optional<std::string> form = checkedForm(name, counted)) {
            sink(*form);
        } else {
            ++dropped;
        }
    });
    return dropped;
}

} // namespace cvt
