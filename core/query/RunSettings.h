#pragma once

#include <chrono>
#include <cstdint>
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

    // Ask DNS first: a cell whose name the suffix's zone delegates is registered without asking the
    // registry; every other cell is asked as usual.
    bool dns = false;
    // The DNS server to ask (an address literal); empty: the system's resolvers.
    std::string dnsServerAddress;
    std::uint16_t dnsServerPort = 53;
    // Ask each suffix's own name servers (ServerEntry::nameServers) directly instead; a suffix
    // without any is asked through the server above. Their host names are looked up there too.
    bool dnsAuto = false;
    // The port the suffixes' name servers are asked on (tests point it at a local server).
    std::uint16_t dnsNameServerPort = 53;
    // How long one DNS try waits for its answer; a question gets two tries.
    std::chrono::milliseconds dnsTryTimeout{2000};

    // A cell answered (not failed) by the same server within this many days is taken from the
    // journal instead of asked again; 0: every cell is asked.
    int reuseDays = 1;
    // How long one exchange with a registry may last from its start, connect included (0: no limit),
    // and how long its connect may take (0: the client's own limit).
    std::chrono::milliseconds exchangeTimeout{60000};
    std::chrono::milliseconds connectTimeout{0};

    static constexpr std::chrono::seconds kMaxBackoff{600};

    // The interval for this server field (compared without letter case).
    std::chrono::milliseconds intervalFor(std::string_view serverField) const;
};

} // namespace cvt
