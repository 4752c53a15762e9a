#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cvt {

// What an RDAP lookup says about a name.
enum class RdapMark {
    Free,       // 404 with a JSON body or none: the registry does not know the name
    Registered, // 200 with a JSON object whose objectClassName is "domain", that holds no errorCode and
                // whose ldhName, if it has one, is the asked name (letter case and a final dot aside)
    Failed,     // anything else: 429, 5xx, other statuses, a 404 or 200 that is no RDAP reply (an HTML
                // page, another object, a domain object about another name), a name that is not a
                // host name, TLS or network failures
};

struct RdapOutcome {
    RdapMark mark = RdapMark::Failed;
    // The reply's HTTP status; 0 when no reply came (a TLS or network failure).
    int status = 0;
    // Why: the status line, or the failure's message.
    std::string reason;
    // No reply came: the server closed or reset the connection.
    bool noReply = false;
    // The wait a 429 or 503 asked for (Retry-After in seconds or as an HTTP date), if it did.
    std::optional<std::chrono::seconds> retryAfter;
    // For the details window: the reply's JSON laid out with indentation (in the reply's order), else
    // the status line (or the failure). Never more than kMaxRdapDetails bytes: a reply whose layout
    // would be much longer than itself is written compactly instead.
    std::string details;
};

// One HTTP reply of an RDAP server, as far as the lookup needs it.
struct RdapReply {
    int status = 0;
    std::string statusLine;
    std::string body;
    std::string retryAfter; // the Retry-After header, empty when absent
    // The name asked about, as sent ("abc.info"): a domain object about another name is no answer.
    std::string asked = {};
};

inline constexpr std::size_t kMaxRdapDetails = 1 << 20;
// JSON nested deeper than this is no RDAP reply (real ones nest about a dozen levels).
inline constexpr std::size_t kMaxRdapNesting = 64;

// The outcome of a reply. now is the moment an HTTP-date Retry-After is measured from.
RdapOutcome rdapOutcomeOf(const RdapReply& reply, std::chrono::system_clock::time_point now);

// A Retry-After value: a count of seconds, or an HTTP date (IMF-fixdate, "Sun, 06 Nov 1994 08:49:37
// GMT"), which gives the seconds from now until then (0 when it has passed). None for anything else.
// Counts beyond a day are cut to a day.
std::optional<std::chrono::seconds> parseRetryAfter(std::string_view value, std::chrono::system_clock::time_point now);

} // namespace cvt
