#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace cvt {

// A no-match text derived from a WHOIS server's own replies, and when.
struct StoredCalibration {
    std::string mark;
    std::int64_t derivedAt = 0; // seconds since 1970-01-01 UTC
    // The text only a registered reply holds; empty when unknown (kept by an older version).
    std::string registered = {};
};

// The key a WHOIS server is kept under: the server field trimmed, in lower case, without ":43"
// ("WHOIS.nic.Shop:43" and "whois.nic.shop" are one server; "[2001:db8::1]:43" is "[2001:db8::1]").
std::string serverKey(std::string_view server);

// The calibrated no-match texts, by server key.
class CalibrationBook {
public:
    // A text older than this is derived again before it is used.
    static constexpr std::chrono::seconds kMaxAge = std::chrono::days(30);

    const StoredCalibration* find(std::string_view server) const;
    // The text for a server when one is stored and younger than kMaxAge at now, else nullptr.
    const StoredCalibration* fresh(std::string_view server, std::chrono::system_clock::time_point now) const;
    void store(std::string_view server, StoredCalibration calibration);

    const std::map<std::string, StoredCalibration, std::less<>>& all() const { return m_byServer; }

private:
    std::map<std::string, StoredCalibration, std::less<>> m_byServer;
};

} // namespace cvt
