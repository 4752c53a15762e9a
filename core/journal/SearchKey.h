#pragma once

#include "core/query/QueryEngine.h"
#include "core/query/RunSettings.h"
#include "core/query/ServerEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// What identifies a search in the journal, and how it is described to the user.
struct SearchKey {
    // SHA-256 (hex) over the whole candidate source (the pattern text, or every line of the word
    // list), the ticked entries (caption, server, no-match mark, refusal) and the settings that
    // change an answer (DNS and its server). Pace settings are left out: they change no mark.
    std::string key;
    // The pattern, or "word list: N names, sha256 <first 16 hex digits>".
    std::string source;
    // The ticked suffixes, comma-separated, in table order.
    std::string suffixes;
    // The answer-changing settings in words ("dns=off").
    std::string settings;
};

// Whether a search's source names a word list (whose words the journal does not keep) rather than
// a pattern.
bool isWordListSource(std::string_view source);

SearchKey makeSearchKey(const SearchRequest& request, const std::vector<ServerEntry>& entries,
                        const RunSettings& settings);

} // namespace cvt
