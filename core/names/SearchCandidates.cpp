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
// ASCII, an ASCII name with sound A-labels as written, with the A-label form it is asked by; nothing
// when refused, which refused counts.
std::optional<IdnConversion> checkedForm(std::string_view name, RefusedNames& refused) {
    IdnConversion shown = IdnName::toCandidate(trim(name));
    if (shown.refused()) {
        refused.add(trim(name), shown.refusal);
        return std::nullopt;
    }
    if (!IdnName::isInternational(name)) {
        shown.name = name;
    }
    return shown;
}

// Brings the names beyond ASCII to the form they are shown and asked in, and keeps their A-label
// forms in aLabels; the names libidn2 or the script check refuse leave the list.
void convertInternationalNames(NameList& names, NameList& aLabels, RefusedNames& refused) {
    const std::string_view bytes = names.bytes();
    if (!IdnName::isInternational(bytes) && bytes.find("--") == std::string_view::npos) {
        return;
    }
    NameList converted;
    converted.reserve(names.size(), names.byteSize());
    for (const std::string_view name : names) {
        if (!needsIdnCheck(name)) {
            converted.push_back(name);
            if (!aLabels.empty()) {
                aLabels.push_back({});
            }
        } else if (const std::optional<IdnConversion> form = checkedForm(name, refused)) {
            // Filled from the first name that has an A-label form on.
            while (aLabels.size() < converted.size()) {
                aLabels.push_back({});
            }
            converted.push_back(form->name);
            aLabels.push_back(form->ascii);
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
    convertInternationalNames(candidates.names, candidates.aLabels, candidates.refused);
    candidates.names.sortIgnoreCase(candidates.aLabels);
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
        } else if (const std::optional<IdnConversion> form = checkedForm(name, counted)) {
            sink(form->name);
        } else {
            ++dropped;
        }
    });
    return dropped;
}

} // namespace cvt
