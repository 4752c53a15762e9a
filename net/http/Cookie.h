#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace cvt {

// One cookie as a server set it with a Set-Cookie (RFC 2109 kind) or Set-Cookie2 (RFC 2965 kind)
// header.
struct TNetCookie {
    using Clock = std::chrono::system_clock;

    enum class Kind { Rfc2109, Rfc2965 };

    Kind kind = Kind::Rfc2109;
    std::string name;
    std::string value;
    std::string domain;                       // empty when the header named none
    std::string path;                         // without enclosing double quotes; empty when the header named none
    std::optional<Clock::time_point> expires; // none: kept until the program ends
    bool secure = false;
    bool discard = false;
    std::string version;
    std::string comment;
    std::string commentURL;
    std::string port;

    // Reads the value of a Set-Cookie or Set-Cookie2 header: items separated by ";", trimmed; the
    // first is name=value, the others are attributes whose names ignore letter case. Max-Age (in
    // seconds from `now`) wins over Expires; a date that cannot be read leaves the cookie without
    // an expiry. Unknown attributes are ignored.
    static TNetCookie parse(std::string_view header, Kind kind, Clock::time_point now);

    // Reads a cookie date in the forms "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37
    // GMT" and "Sun Nov  6 08:49:37 1994" (always UTC; two-digit years below 70 are 20xx).
    static std::optional<Clock::time_point> parseDate(std::string_view text);

    bool isExpired(Clock::time_point now) const { return expires.has_value() && *expires <= now; }
};

} // namespace cvt
