#include "net/rdap/RdapReply.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

namespace cvt {

namespace {

constexpr std::chrono::seconds kLongestRetryAfter{86400};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// The decimal number of exactly `width` digits at text[at]; -1 otherwise.
int fixedNumber(std::string_view text, std::size_t at, std::size_t width) {
    if (at + width > text.size()) {
        return -1;
    }
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// In whole seconds: the system clock's nanoseconds reach only about 292 years either side of 1970,
// and a date may name any year up to 9999.
std::optional<std::chrono::sys_seconds> parseHttpDate(std::string_view text) {
    // "Sun, 06 Nov 1994 08:49:37 GMT"
    static constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (text.size() != 29 || text.substr(3, 2) != ", " || text[7] != ' ' || text[11] != ' ' || text[16] != ' ' ||
        text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT") {
        return std::nullopt;
    }
    const auto month = std::find(kMonths.begin(), kMonths.end(), text.substr(8, 3));
    const int day = fixedNumber(text, 5, 2);
    const int year = fixedNumber(text, 12, 4);
    const int hour = fixedNumber(text, 17, 2);
    const int minute = fixedNumber(text, 20, 2);
    const int second = fixedNumber(text, 23, 2);
    if (month == kMonths.end() || day < 1 || year < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 60) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(year),
                                           std::chrono::month(static_cast<unsigned>(month - kMonths.begin() + 1)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) {
        return std::nullopt;
    }
    return std::chrono::sys_days(date) + std::chrono::hours(hour) + std::chrono::minutes(minute) +
           std::chrono::seconds(second);
}

} // namespace

std::optional<std::chrono::seconds> parseRetryAfter(std::string_view value, std::chrono::system_clock::time_point now) {
    value = trimmed(value);
    if (value.empty()) {
        return std::nullopt;
    }
    if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        long long seconds = 0;
        for (const char c : value) {
            seconds = std::min<long long>(seconds * 10 + (c - '0'), kLongestRetryAfter.count());
        }
        return std::chrono::seconds(seconds);
    }
    const auto date = parseHttpDate(value);
    if (!date) {
        return std::nullopt;
    }
    // Rounded up to whole seconds, computed in seconds so that no year overflows.
    const auto wait = *date - std::chrono::floor<std::chrono::seconds>(now);
    return std::clamp(wait, std::chrono::seconds(0), kLongestRetryAfter);
}

RdapOutcome rdapOutcomeOf(const RdapReply& reply, std::chrono::system_clock::time_point now) {
    RdapOutcome outcome;
    outcome.reason = reply.statusLine;
    const nlohmann::json json = nlohmann::json::parse(reply.body, nullptr, false);
    const bool isObject = !json.is_discarded() && json.is_object();
    outcome.details =
        json.is_discarded() ? reply.statusLine : json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    if (reply.status == 404) {
        outcome.mark = RdapMark::Free;
    } else if (reply.status == 200 && isObject) {
        outcome.mark = RdapMark::Registered;
    } else if (reply.status == 200) {
        // A 200 that is no RDAP reply (a portal page, a proxy's error) says nothing about the name.
        outcome.reason = reply.statusLine + " (the reply is not RDAP JSON)";
    }
    if (reply.status == 429 || reply.status == 503) {
        outcome.retryAfter = parseRetryAfter(reply.retryAfter, now);
    }
    return outcome;
}

} // namespace cvt
