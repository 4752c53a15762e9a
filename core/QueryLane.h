#pragma once

#include "core/PaceClock.h"
#include "core/ResultMarks.h"
#include "core/RunSettings.h"
#include "core/ServerEntry.h"
#include "core/WhoisLookup.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace cvt {

class RdapClient;

// One lane of a run: the server entries it asks, on a connection of its own, at the pace of their
// servers. With lanes on a lane serves one server; with lanes off one lane serves every entry.
// Used by one thread at a time.
class QueryLane {
public:
    // rdap asks the lane's RDAP entries; it may be null when the lane has none.
    QueryLane(std::unique_ptr<WhoisLookup> client, std::unique_ptr<RdapClient> rdap, const RunSettings& settings,
              PaceClock& clock);
    ~QueryLane();

    // The ticked entries this lane asks for each name, in server-table order.
    std::vector<ServerEntry> entries;

    // Waits until the server may be asked again: the interval since the last exchange with it
    // started, and the back-off after a refusal. While waiting for a back-off or for a second or
    // more, tells `announce` which server it waits for and how long. Returns false when stop()
    // turned true (the wait then ends at once).
    bool waitTurn(const std::string& serverField, const std::function<bool()>& stop,
                  const std::function<void(const std::string&)>& announce);

    // Asks one cell: the exchange with the entry's server and the judgement of its reply. A WHOIS
    // entry asks its host; an RDAP entry (its server field an https:// or http:// base address)
    // looks the name up there: 404 is free, 200 registered, anything else "-" with the status line
    // or failure as its reason. A failed exchange is "-" with its reason, and the connection is
    // closed. A refusal (a quota reply, an RDAP 429) starts (or doubles) the server's back-off; a
    // Retry-After of an RDAP 429 or 503 is taken as the back-off instead. Any other outcome ends it.
    CellOutcome askCell(const ServerEntry& entry, const std::string& query);

    // Thread-safe: makes the exchange under way (and every later one) fail at once.
    void cancel();
    // Thread-safe: makes a WHOIS host lookup under way (and every later one) fail at once.
    void cancelHostLookup() { m_client->cancelHostLookup(); }

private:
    struct ServerPace {
        bool asked = false;
        PaceClock::TimePoint lastStart{};
        std::chrono::seconds backoff{0};
        PaceClock::TimePoint blockedUntil{};
    };
    ServerPace& paceOf(const std::string& serverField);
    // After an answer: a refusal starts or doubles the back-off, anything else ends it.
    void keepPace(ServerPace& pace, bool refused);

    CellOutcome askRdap(const ServerEntry& entry, const std::string& query, ServerPace& pace);

    std::unique_ptr<WhoisLookup> m_client;
    std::unique_ptr<RdapClient> m_rdap;
    const RunSettings& m_settings;
    PaceClock& m_clock;
    std::map<std::string, ServerPace, std::less<>> m_pace;
};

// The lane key of a server field: trimmed, in lower case.
std::string laneKey(std::string_view serverField);

} // namespace cvt
