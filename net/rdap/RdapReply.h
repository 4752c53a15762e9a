#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace cvt {

// What an RDAP lookup says about a name.
enum class RdapMark {
    Free,       // 404: the registry does not know the name
    Registered, // 200 with an RDAP (JSON object) reply
    Failed,     // anything else: 429, 5xx, other statuses, a 200 that is not JSON, TLS or network failures
};

struct RdapOutcome {
    RdapMark mark = RdapMark::Failed;
    // The reply's HTTP status; 0 when no reply came (a TLS or network failure).
    int status = 0;
    // Why: the status line, or the failure's message.
    std::string reason;
    // The wait a 429 or 503 asked for (Retry-After in seconds or as an HTTP date), if it did.
    std::optional<std::chrono::seconds> retryAfter;
    // For the details window: the reply's JSON pretty-printed, else the status line (or the failure).
    std::string details;
};

// One HTTP reply of an RDAP server, as far as the lookup needs it.
struct RdapReply {
    int status = 0;
    std::string statusLine;
    std::string body;
    std::string retryAfter; // the Retry-After header, empty when absent
};

// The outcome of a reply. now is the moment an HTTP-date Retry-After is measured from.
RdapOutcome rdapOutcomeOf(const RdapReply& reply, std::chrono::system_clock::time_point now);

// A Retry-After value: a count of seconds, or an HTTP date (IMF-fixdate, "Sun, 06 Nov 1994 08:49:37
// GMT"), which gives the seconds from now until then (0 when it has passed). None for anything else.
// Counts beyond a day are cut to a day.
std::optional<std::chrono::seconds> parseRetryAfter(std::string_view value, std::chrono::system_clock::time_point now);

} // namespace cvt
