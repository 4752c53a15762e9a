#include "net/http/Cookie.h"

#include "net/http/HttpText.h"
#include "text/CheckedNumber.h"

#include <array>
#include <vector>

namespace cvt {

namespace {

std::vector<std::string_view> splitItems(std::string_view text) {
    std::vector<std::string_view> items;
    while (true) {
        const std::size_t semicolon = text.find(';');
        items.push_back(trim(text.substr(0, semicolon)));
        if (semicolon == std::string_view::npos) {
            return items;
        }
        text.remove_prefix(semicolon + 1);
    }
}

std::string_view unquote(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

bool allDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int monthNumber(std::string_view token) {
    static constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
    if (token.size() < 3) {
        return 0;
    }
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (equalsIgnoreCase(token.substr(0, 3), kMonths[i])) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

bool parseTime(std::string_view token, int& hour, int& minute, int& second) {
    if (token.size() != 8 || token[2] != ':' || token[5] != ':' || !allDigits(token.substr(0, 2)) ||
        !allDigits(token.substr(3, 2)) || !allDigits(token.substr(6, 2))) {
        return false;
    }
    hour = (token[0] - '0') * 10 + (token[1] - '0');
    minute = (token[3] - '0') * 10 + (token[4] - '0');
    second = (token[6] - '0') * 10 + (token[7] - '0');
    return hour < 24 && minute < 60 && second < 61;
}

// The expiry a Max-Age value gives: seconds from now written as digits, or "-" and digits. Zero and
// negative ages expire the cookie at once; far-future ages are capped so the time point cannot
// overflow. Empty when the value is not such a number (the attribute is then ignored).
std::optional<TNetCookie::Clock::time_point> maxAgeExpiry(std::string_view text, TNetCookie::Clock::time_point now) {
    constexpr std::uint64_t kMaxSeconds = 100ULL * 365 * 24 * 3600;
    const bool negative = text.starts_with('-');
    if (negative) {
        text.remove_prefix(1);
    }
    const DigitsResult seconds = parseDigits(text, kMaxSeconds);
    if (seconds.status == DigitsResult::Status::NotDigits) {
        return std::nullopt;
    }
    if (negative || (seconds.ok() && seconds.value == 0)) {
        return TNetCookie::Clock::time_point::min();
    }
    const std::uint64_t age = seconds.ok() ? seconds.value : kMaxSeconds;
    return now + std::chrono::seconds(static_cast<std::int64_t>(age));
}

} // namespace

std::optional<TNetCookie::Clock::time_point> TNetCookie::parseDate(std::string_view text) {
    int day = 0;
    int month = 0;
    int year = -1;
    int hour = -1;
    int minute = 0;
    int second = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = text.find_first_of(" ,-\t", i);
        const std::string_view token = text.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
        i = end == std::string_view::npos ? text.size() : end + 1;
        if (token.empty()) {
            continue;
        }
        if (hour < 0 && token.find(':') != std::string_view::npos) {
            if (!parseTime(token, hour, minute, second)) {
                return std::nullopt;
            }
        } else if (allDigits(token) && token.size() <= 2 && day == 0) {
            day = std::stoi(std::string(token));
        } else if (allDigits(token) && (token.size() == 2 || token.size() == 4) && year < 0) {
            year = std::stoi(std::string(token));
            if (token.size() == 2) {
                year += year < 70 ? 2000 : 1900;
            }
        } else if (month == 0 && monthNumber(token) != 0) {
            month = monthNumber(token);
        }
    }
    if (day == 0 || month == 0 || year < 0 || hour < 0) {
        return std::nullopt;
    }
    // The clock counts nanoseconds and reaches only about 292 years either side of 1970.
    if (year < 1970) {
        return Clock::time_point::min();
    }
    if (year > 2200) {
        year = 2200;
    }
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    return std::chrono::sys_days(date) + std::chrono::hours(hour) + std::chrono::minutes(minute) +
           std::chrono::seconds(second);
}

TNetCookie TNetCookie::parse(std::string_view header, Kind kind, Clock::time_point now) {
    TNetCookie cookie;
    cookie.kind = kind;
    const std::vector<std::string_view> items = splitItems(header);
    const std::string_view first = items.front();
    const std::size_t equals = first.find('=');
    cookie.name = trim(first.substr(0, equals));
    if (equals != std::string_view::npos) {
        cookie.value = trim(first.substr(equals + 1));
    }
    std::optional<Clock::time_point> fromExpires;
    std::optional<Clock::time_point> fromMaxAge;
    for (std::size_t k = 1; k < items.size(); ++k) {
        const std::size_t eq = items[k].find('=');
        const std::string_view name = trim(items[k].substr(0, eq));
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view() : trim(items[k].substr(eq + 1));
        if (equalsIgnoreCase(name, "expires")) {
            fromExpires = parseDate(unquote(value));
        } else if (equalsIgnoreCase(name, "max-age")) {
            if (const auto expiry = maxAgeExpiry(unquote(value), now)) {
                fromMaxAge = expiry;
            }
        } else if (equalsIgnoreCase(name, "domain")) {
            cookie.domain = unquote(value);
        } else if (equalsIgnoreCase(name, "path")) {
            cookie.path = unquote(value);
        } else if (equalsIgnoreCase(name, "secure")) {
            cookie.secure = true;
        } else if (equalsIgnoreCase(name, "version")) {
            cookie.version = unquote(value);
        } else if (equalsIgnoreCase(name, "comment")) {
            cookie.comment = unquote(value);
        } else if (kind == Kind::Rfc2965 && equalsIgnoreCase(name, "commenturl")) {
            cookie.commentURL = unquote(value);
        } else if (kind == Kind::Rfc2965 && equalsIgnoreCase(name, "discard")) {
            cookie.discard = true;
        } else if (kind == Kind::Rfc2965 && equalsIgnoreCase(name, "port")) {
            cookie.port = unquote(value);
        }
    }
    cookie.expires = fromMaxAge ? fromMaxAge : fromExpires;
    return cookie;
}

} // namespace cvt
