#include "core/query/RdapCellLookup.h"

#include "net/rdap/RdapClient.h"
#include "net/socket/NetExceptions.h"
#include "text/TextUtil.h"

namespace cvt {

RdapCellLookup::RdapCellLookup(std::unique_ptr<RdapClient> client) : m_client(std::move(client)) {}

RdapCellLookup::~RdapCellLookup() = default;

void RdapCellLookup::cancel() {
    m_client->Cancel();
}

CellAnswer RdapCellLookup::ask(const ServerEntry& entry, const std::string& query) {
    try {
        return rdapCellAnswer(m_client->lookup(trim(entry.host), query));
    } catch (const ENetOperationCancelled& cancelled) {
        return {{Mark::Failed, failureReason(cancelled.what()), false, false, "rdap"}, std::nullopt, true};
    }
}

CellAnswer rdapCellAnswer(const RdapOutcome& answer) {
    switch (answer.mark) {
    case RdapMark::Free:
        return {{Mark::Free, {}, false, false, "rdap"}, std::nullopt};
    case RdapMark::Registered:
        return {{Mark::Registered, {}, false, false, "rdap"}, std::nullopt};
    case RdapMark::Failed:
        break;
    }
    const bool refused = answer.status == 429;
    return {
        {Mark::Failed, (refused ? "refused: " : "") + failureReason(answer.reason), refused, answer.noReply, "rdap"},
        answer.retryAfter};
}

std::string RdapCellLookup::reply(const ServerEntry& entry, const std::string& query) {
    return m_client->lookup(trim(entry.host), query).details;
}

} // namespace cvt
