#include "core/query/QueryLane.h"

#include "core/TextUtil.h"
#include "net/rdap/RdapClient.h"
#include "net/socket/ConnectionLoss.h"
#include "net/socket/NetExceptions.h"

#include <algorithm>
#include <exception>

namespace cvt {

namespace {

// The first line of a failure's message, e.g. "Read Timeout" or "Socket Error # 10061".
std::string failureReason(const char* what) {
    const std::string_view text(what);
    return std::string(trim(text.substr(0, std::min(text.find('\n'), text.size()))));
}

} // namespace

std::string laneKey(std::string_view serverField) {
    std::string key(trim(serverField));
    std::transform(key.begin(), key.end(), key.begin(), asciiLower);
    return key;
}

QueryLane::QueryLane(std::unique_ptr<WhoisLookup> client, std::unique_ptr<RdapClient> rdap, Context context)
    : m_client(std::move(client)), m_rdap(std::move(rdap)), m_context(context) {}

QueryLane::~QueryLane() = default;

void QueryLane::cancel() {
    m_client->cancel();
    if (m_rdap) {
        m_rdap->Cancel();
    }
}

bool QueryLane::waitTurn(const std::string& serverField, const std::function<bool()>& stop,
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

CellOutcome QueryLane::askRdap(const ServerEntry& entry, const std::string& query, ServerPace& pace) {
    if (!m_rdap) {
        return {Mark::Failed, "no RDAP client", false};
    }
    RdapOutcome answer;
    try {
        answer = m_rdap->lookup(trim(entry.host), query);
    } catch (const ENetOperationCancelled& cancelled) {
        return {Mark::Failed, failureReason(cancelled.what()), false};
    }
    switch (answer.mark) {
    case RdapMark::Free:
        afterExchange(pace, {});
        return {Mark::Free, {}, false};
    case RdapMark::Registered:
        afterExchange(pace, {});
        return {Mark::Registered, {}, false};
    case RdapMark::Failed:
        break;
    }
    const bool refused = answer.status == 429;
    CellOutcome outcome{Mark::Failed, (refused ? "refused: " : "") + failureReason(answer.reason.c_str()), refused,
                        answer.noReply};
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
        afterExchange(pace, outcome);
    }
    return outcome;
}

CellOutcome QueryLane::askCell(const ServerEntry& entry, const std::string& query) {
    if (const auto givenUp = m_givenUp.find(laneKey(entry.host)); givenUp != m_givenUp.end()) {
        return {Mark::Failed, givenUp->second, false};
    }
    ServerPace& pace = m_context.paces.of(entry.host);
    if (isRdapServerField(trim(entry.host))) {
        return askRdap(entry, query, pace);
    }
    CellOutcome outcome;
    try {
        outcome = judgeReply(m_client->lookup(std::string(trim(entry.host)), query), entry);
    } catch (const std::exception& failure) {
        // A failed exchange is a result, not an error: it is failed and can be asked again.
        m_client->closeConnection();
        outcome = {Mark::Failed, failureReason(failure.what()), false, isConnectionLoss(failure)};
    }
    afterExchange(pace, outcome);
    return outcome;
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
