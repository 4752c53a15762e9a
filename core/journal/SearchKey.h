#pragma once

#include "core/query/QueryEngine.h"
#include "core/query/RunSettings.h"
#include "core/query/ServerEntry.h"

#include <string>
#include <string_view>
#include <utility>
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
    // Per ticked suffix, its entry's answerJudgement: an answer is reused only for an entry that
    // judges alike.
    std::vector<std::pair<std::string, std::string>> judgements;
};

// What an entry's answers are judged by besides its server field: its no-match mark (none: the texts
// calibrated for the server), its refusal text and the WHOIS server behind an RDAP base. An answer
// judged by another mark (one the user has corrected since) is not the entry's answer.
std::string answerJudgement(const ServerEntry& entry);

// Whether a search's source names a word list (whose words the journal does not keep) rather than
// a pattern.
bool isWordListSource(std::string_view source);

SearchKey makeSearchKey(const SearchRequest& request, const std::vector<ServerEntry>& entries,
                        const RunSettings& settings);

} // namespace cvt
