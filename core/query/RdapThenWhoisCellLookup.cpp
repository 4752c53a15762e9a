#include "core/query/RdapThenWhoisCellLookup.h"

#include "core/query/FallbackFailure.h"
#include "core/query/RdapCellLookup.h"
#include "net/rdap/RdapClient.h"
#include "net/socket/NetExceptions.h"
#include "text/TextUtil.h"

#include <optional>

namespace cvt {

namespace {

constexpr int kFirstServerError = 500;

// Whether RDAP brought no answer about the name: no reply at all (a TLS or network failure; a
// name never sent is an answer of its own) or a server error.
bool broughtNoAnswer(const RdapOutcome& outcome) {
    if (outcome.mark != RdapMark::Failed) {
        return false;
    }
    if (outcome.status == 0) {
        return outcome.reason != RdapClient::kNotAHostName;
    }
    return outcome.status >= kFirstServerError;
}

// The entry asked over WHOIS when RDAP brought no answer and the entry names a WHOIS server;
// nothing otherwise.
std::optional<ServerEntry> whoisBehind(const ServerEntry& entry, const RdapOutcome& outcome) {
    if (!broughtNoAnswer(outcome) || trim(entry.whoisHost).empty()) {
        return std::nullopt;
    }
    ServerEntry whois = entry;
    whois.host = entry.whoisHost;
    whois.kind = LookupKind::Whois;
    return whois;
}

} // namespace

RdapThenWhoisCellLookup::RdapThenWhoisCellLookup(std::unique_ptr<RdapClient> rdap,
                                                 std::unique_ptr<WhoisCellLookup> whois)
    : m_rdap(std::move(rdap)), m_whois(std::move(whois)) {}

RdapThenWhoisCellLookup::~RdapThenWhoisCellLookup() = default;

std::unique_ptr<CellLookup> RdapThenWhoisCellLookup::make(const LookupClients& clients) {
    std::unique_ptr<RdapClient> rdap = clients.rdap ? clients.rdap() : std::make_unique<RdapClient>();
    std::unique_ptr<WhoisLookup> whois = clients.whois();
    if (clients.timeLimits) {
        rdap->SetTimeLimits(static_cast<int>(clients.timeLimits->exchange.count()),
                            static_cast<int>(clients.timeLimits->connect.count()));
        whois->setTimeLimits(clients.timeLimits->exchange, clients.timeLimits->connect);
    }
    return std::make_unique<RdapThenWhoisCellLookup>(
        std::move(rdap), std::make_unique<WhoisCellLookup>(std::move(whois), clients.calibrate));
}

void RdapThenWhoisCellLookup::cancel() {
    m_rdap->Cancel();
    m_whois->cancel();
}

CellAnswer RdapThenWhoisCellLookup::ask(const ServerEntry& entry, const std::string& query) {
    RdapOutcome outcome;
    try {
        outcome = m_rdap->lookup(trim(entry.host), query);
    } catch (const ENetOperationCancelled& cancelled) {
        return {{Mark::Failed, failureReason(cancelled.what()), false, false, "rdap"}, std::nullopt, true};
    }
    const std::optional<ServerEntry> whois = whoisBehind(entry, outcome);
    if (!whois) {
        return rdapCellAnswer(outcome);
    }
    CellAnswer answer = m_whois->ask(*whois, query);
    if (answer.outcome.mark == Mark::Failed && !answer.cancelled) {
        answer.outcome.details = FallbackFailure{failureReason(outcome.reason), answer.outcome.details}.text();
    }
    return answer;
}

std::string RdapThenWhoisCellLookup::reply(const ServerEntry& entry, const std::string& query) {
    const RdapOutcome outcome = m_rdap->lookup(trim(entry.host), query);
    const std::optional<ServerEntry> whois = whoisBehind(entry, outcome);
    return whois ? m_whois->reply(*whois, query) : outcome.details;
}

} // namespace cvt
