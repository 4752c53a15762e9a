#pragma once

#include "core/query/CellLookupSet.h"
#include "core/query/PaceClock.h"
#include "core/query/ResultMarks.h"
#include "core/query/RunSettings.h"
#include "core/query/ServerEntry.h"
#include "core/query/ServerPaceBook.h"

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
    // What a lane works with besides its clients; every object must outlive the lane.
    struct Context {
        const RunSettings& settings;
        PaceClock& clock;
        ServerPaceBook& paces; // the pace of the lane's servers, kept by the engine beyond the lane
    };

    QueryLane(CellLookupSet lookups, Context context);
    ~QueryLane();

    // The ticked entries this lane asks for each name, in server-table order.
    std::vector<ServerEntry> entries;

    // Waits until the server may be asked again: the interval since the last exchange with it
    // started, and the back-off after a refusal. While waiting for a back-off or for a second or
    // more, tells `announce` which server it waits for and how long. Returns false when stop()
    // turned true (the wait then ends at once). A server the lane has given up is never waited for.
    // The exchanges askCell makes beyond the cell's own (a calibration's questions) wait for their
    // turns the same way, with the stop and announce of the latest waitTurn.
    bool waitTurn(const std::string& serverField, const std::function<bool()>& stop,
                  const std::function<void(const std::string&)>& announce);

    // Asks one cell through the lookup of the entry's kind (see WhoisCellLookup, RdapCellLookup): the
    // exchange with the entry's server and the judgement of its answer. A failed exchange is failed
    // with its reason. A refusal (a quota reply, an RDAP 429) starts (or doubles) the server's
    // back-off, and so does the second and every further exchange in a row without a reply (the
    // server closed or reset the connection, or said nothing); the first such one leaves the back-off
    // as it is. A Retry-After the server sent is taken as the back-off instead; one longer than the
    // longest back-off gives the server up for this lane: its cells fail ("server asks to wait N s")
    // without asking. A cancelled exchange leaves the pace alone. Any other outcome ends the
    // back-off.
    CellOutcome askCell(const ServerEntry& entry, const std::string& query);

    // Thread-safe: makes the exchange under way (and every later one) fail at once.
    void cancel();
    // Thread-safe: makes a host name lookup under way (and every later one) fail at once.
    void cancelHostLookup();

private:
    // After an exchange: a refusal, or the second and later one in a row without a reply, starts or
    // doubles the back-off; the first without a reply leaves it; anything else ends it.
    void afterExchange(ServerPace& pace, const CellOutcome& outcome);
    void keepPace(ServerPace& pace, bool refused);
    bool waitTurnWith(const std::string& serverField, const std::function<bool()>& stop,
                      const std::function<void(const std::string&)>& announce);

    // The lookups the lane asks its cells through, one per lookup kind of its entries.
    CellLookupSet m_lookups;
    Context m_context;
    // The stop and announce of the latest waitTurn, for the waits inside askCell.
    std::function<bool()> m_stop = [] { return false; };
    std::function<void(const std::string&)> m_announce = [](const std::string&) {};
    // The servers this lane gave up (keyed by laneKey), with the reason their cells get.
    std::map<std::string, std::string, std::less<>> m_givenUp;
};

// The server a field names, which lanes, paces and give-ups are kept by, trimmed and in lower
// case: a WHOIS host[:port] as written; the host[:port] of an RDAP base address, so that the
// suffixes one registry serves under paths of one host share one lane and one pace.
std::string laneKey(std::string_view serverField);

} // namespace cvt
