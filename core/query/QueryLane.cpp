#include "core/query/QueryLane.h"

#include "net/rdap/RdapClient.h"
#include "net/socket/ConnectionLoss.h"
#include "net/socket/NetExceptions.h"
#include "text/TextUtil.h"

#include <algorithm>

namespace cvt {

std::string laneKey(std::string_view serverField) {
    std::string_view server = trim(serverField);
    if (lookupKindOf(server) == LookupKind::Rdap) {
        // One registry often serves many suffixes, each under its own path of one host.
        server.remove_prefix(server.find("://") + 3);
        server = server.substr(0, server.find_first_of("/?#"));
    }
    return toAsciiLower(server);
}

QueryLane::QueryLane(CellLookupSet lookups, Context context) : m_lookups(std::move(lookups)), m_context(context) {
    m_lookups.setNextTurn(
        [this](const std::string& serverField) { return waitTurnWith(serverField, m_stop, m_announce); });
}

QueryLane::~QueryLane() = default;

void QueryLane::cancel() {
    m_lookups.cancel();
}

void QueryLane::cancelHostLookup() {
    m_lookups.cancelHostLookup();
}

bool QueryLane::waitTurn(const std::string& serverField, const std::function<bool()>& stop,
                         const std::function<void(const std::string&)>& announce) {
    m_stop = stop;
    m_announce = announce;
    return waitTurnWith(serverField, stop, announce);
}

bool QueryLane::waitTurnWith(const std::string& serverField, const std::function<bool()>& stop,
                             const std::function<void(const std::string&)>& announce) {
    if (m_givenUp.contains(laneKey(serverField))) {
        return !stop();
    }
    ServerPace& pace = m_context.paces.of(serverField);
    PaceClock::TimePoint deadline = pace.blockedUntil;
    if (pace.asked) {
        deadline = std::max(deadline, pace.lastStart + m_context.settings.intervalFor(serverField));
    }
    const PaceClock::TimePoint now = m_context.clock.now();
    if (deadline > now) {
        const auto wait = deadline - now;
        if (pace.backoff.count() > 0 || wait >= std::chrono::seconds(1)) {
            const auto seconds = std::chrono::ceil<std::chrono::seconds>(wait).count();
            announce("Waiting for " + std::string(trim(serverField)) + ": " + std::to_string(seconds) + " s");
        }
        m_context.clock.sleepUntil(deadline, stop);
    }
    if (stop()) {
        return false;
    }
    pace.asked = true;
    pace.lastStart = m_context.clock.now();
    return true;
}

CellOutcome QueryLane::askCell(const ServerEntry& entry, const std::string& query) {
    if (const auto givenUp = m_givenUp.find(laneKey(entry.host)); givenUp != m_givenUp.end()) {
        return {Mark::Failed, givenUp->second, false};
    }
    CellLookup* lookup = m_lookups.find(entry.kind);
    if (lookup == nullptr) {
        return {Mark::Failed, "no client for this server", false};
    }
    ServerPace& pace = m_context.paces.of(entry.host);
    const CellAnswer answer = lookup->ask(entry, query);
    if (answer.cancelled) {
        return answer.outcome;
    }
    if (answer.retryAfter && *answer.retryAfter > RunSettings::kMaxBackoff) {
        // Parking the lane for hours would hold the whole run: the server's other cells fail at once,
        // so the run ends and a later re-query asks again (after the longest back-off).
        m_givenUp.emplace(laneKey(entry.host),
                          "server asks to wait " + std::to_string(answer.retryAfter->count()) + " s");
        pace.backoff = RunSettings::kMaxBackoff;
        pace.blockedUntil = m_context.clock.now() + pace.backoff;
    } else if (answer.retryAfter) {
        // The server said how long to wait: that wait, not the doubling rule, comes before the next
        // exchange; a later refusal without one doubles from it.
        pace.backoff = *answer.retryAfter;
        pace.blockedUntil = m_context.clock.now() + *answer.retryAfter;
    } else {
        afterExchange(pace, answer.outcome);
    }
    return answer.outcome;
}

void QueryLane::afterExchange(ServerPace& pace, const CellOutcome& outcome) {
    if (!outcome.noReply) {
        pace.silentInRow = 0;
        keepPace(pace, outcome.refused);
    } else if (++pace.silentInRow >= 2) {
        keepPace(pace, true);
    }
}

void QueryLane::keepPace(ServerPace& pace, bool refused) {
    if (refused) {
        // The first refusal waits the configured back-off, each further one twice the last.
        pace.backoff = pace.backoff.count() == 0 ? m_context.settings.backoff
                                                 : std::min(pace.backoff * 2, RunSettings::kMaxBackoff);
        pace.blockedUntil = m_context.clock.now() + pace.backoff;
    } else {
        pace.backoff = std::chrono::seconds(0);
    }
}

} // namespace cvt
