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

// One lane of a run: the server entries it asks, on a connection of its own, at the pace of their
// servers. With lanes on a lane serves one server; with lanes off one lane serves every entry.
// Used by one thread at a time.
class QueryLane {
public:
    QueryLane(std::unique_ptr<WhoisLookup> client, const RunSettings& settings, PaceClock& clock);

    // The ticked entries this lane asks for each name, in server-table order.
    std::vector<ServerEntry> entries;

    // Waits until the server may be asked again: the interval since the last exchange with it
    // started, and the back-off after a refusal. While waiting for a back-off or for a second or
    // more, tells `announce` which server it waits for and how long. Returns false when stop()
    // turned true (the wait then ends at once).
    bool waitTurn(const std::string& serverField, const std::function<bool()>& stop,
                  const std::function<void(const std::string&)>& announce);

    // Asks one cell: the exchange with the entry's server and the judgement of its reply. A failed
    // exchange is "-" with its reason, and the connection is closed. A refusal starts (or doubles)
    // the server's back-off; any other outcome ends it.
    CellOutcome askCell(const ServerEntry& entry, const std::string& query);

    WhoisLookup& client() { return *m_client; }

private:
    struct ServerPace {
        bool asked = false;
        PaceClock::TimePoint lastStart{};
        std::chrono::seconds backoff{0};
        PaceClock::TimePoint blockedUntil{};
    };
    ServerPace& paceOf(const std::string& serverField);

    std::unique_ptr<WhoisLookup> m_client;
    const RunSettings& m_settings;
    PaceClock& m_clock;
    std::map<std::string, ServerPace, std::less<>> m_pace;
};

// The lane key of a server field: trimmed, in lower case.
std::string laneKey(std::string_view serverField);

} // namespace cvt
