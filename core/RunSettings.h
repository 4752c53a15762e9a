#pragma once

#include <chrono>
#include <map>
#include <string>
#include <string_view>

namespace cvt {

// How a query run paces itself: [setting] parallel, interval and backoff, and the [interval]
// section of Config.ini (or the command-line tool's options).
struct RunSettings {
    // One lane per server, all asking at the same time; off: one lane asks every entry in turn.
    bool parallel = false;
    // The least time between the starts of two exchanges with one server.
    std::chrono::milliseconds interval{0};
    // Per-server overrides of interval, keyed by the server field in lower case.
    std::map<std::string, std::chrono::milliseconds, std::less<>> serverIntervals;
    // The first wait after a refusal; it doubles with each further refusal up to kMaxBackoff.
    std::chrono::seconds backoff{30};

    static constexpr std::chrono::seconds kMaxBackoff{600};

    // The interval for this server field (compared without letter case).
    std::chrono::milliseconds intervalFor(std::string_view serverField) const;
};

} // namespace cvt
