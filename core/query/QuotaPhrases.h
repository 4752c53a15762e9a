#pragma once

#include <array>
#include <string_view>

namespace cvt {

// Phrases registries put in a reply when they refuse a query because the client asks too often.
// They are compared without letter case. None of them occurs in replies for registered names,
// whose terms of use speak of "excessive querying" and the like; such wording must not be added.
inline constexpr std::array<std::string_view, 9> kQuotaPhrases = {
    "limit exceeded",   "quota exceeded",  "exceeded your query limit",     "maximum query rate",
    "query rate limit", "server too busy", "queried interval is too short", "connection limit exceeded",
    "please slow down",
};

// The line of the reply (without its line end, trimmed) that holds the first quota phrase found,
// or an empty view when none does.
std::string_view findQuotaLine(std::string_view reply);

} // namespace cvt
