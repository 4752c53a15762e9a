#pragma once

#include "core/query/ServerEntry.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cvt {

class CalibrationBook;
struct SuffixData;

// How a suffix is asked, as the server table shows it.
enum class AskedBy : std::uint8_t {
    Rdap,            // the catalogue's RDAP base
    WhoisKnownText,  // the catalogue's WHOIS server, with the no-match text shipped for it
    WhoisCalibrated, // the catalogue's WHOIS server, with a no-match text derived from its replies
    ConfigIni,       // the user's own Config.ini entry
};

// "RDAP", "WHOIS", "WHOIS calibrated", "Config.ini".
std::string_view askedByName(AskedBy askedBy);

// The groups suffixes are chosen by.
enum class SuffixChoice : std::uint8_t { Popular, Generic, Country, Chinese, All };

inline constexpr std::array kSuffixChoices = {SuffixChoice::Popular, SuffixChoice::Generic, SuffixChoice::Country,
                                              SuffixChoice::Chinese, SuffixChoice::All};

// "popular", "generic", "country", "chinese", "all".
std::string_view suffixChoiceName(SuffixChoice choice);
// The group of a name written as suffixChoiceName gives it, letter case ignored.
std::optional<SuffixChoice> suffixChoiceNamed(std::string_view name);

// One suffix a user can tick.
struct DirectorySuffix {
    ServerEntry server; // what a run asks with; caption is the suffix (an IDN in Unicode)
    AskedBy askedBy = AskedBy::ConfigIni;
    std::string ascii;             // the suffix in ASCII (the A-label of an IDN)
    std::string registered;        // a name under the suffix that must be registered; empty when unknown
    std::int64_t calibratedAt = 0; // when its server's text was derived (seconds since 1970, UTC); 0: never
    bool calibrates = false;       // asked over WHOIS with a calibrated no-match text (stored or still to derive)
    std::uint8_t choices = 0;      // one bit per SuffixChoice

    bool in(SuffixChoice choice) const { return (choices & (1u << static_cast<unsigned>(choice))) != 0; }
};

// The one place that decides how each suffix is asked. The user's Config.ini entries come first, in
// their order and with their ticks (they override the catalogue); then every catalogue suffix they
// do not name, unticked: by RDAP when the catalogue has a base, else by WHOIS with the no-match text
// shipped for its server, else with one calibrated from its replies. A WHOIS entry of Config.ini
// without a mark is calibrated too.
class SuffixDirectory {
public:
    SuffixDirectory() = default;
    // now tells which stored calibrations are still fresh.
    SuffixDirectory(const std::vector<ServerEntry>& configEntries, const SuffixData& data,
                    const CalibrationBook& calibrations,
                    std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

    const std::vector<DirectorySuffix>& suffixes() const { return m_suffixes; }

    // The first entry for a suffix in either form, letter case ignored, with or without one leading
    // dot; nullptr when there is none.
    const DirectorySuffix* find(std::string_view suffix) const;

    // The entries of a group, in directory order (popular: in the order of the popular list).
    std::vector<const DirectorySuffix*> chosen(SuffixChoice choice) const;

private:
    void add(DirectorySuffix suffix);

    std::vector<DirectorySuffix> m_suffixes;
    std::vector<std::size_t> m_popularOrder;
    std::unordered_map<std::string, std::size_t> m_byName; // both forms, lower case
};

} // namespace cvt
