#include "core/query/WhoisCellLookup.h"

#include "net/socket/ConnectionLoss.h"
#include "text/TextUtil.h"

#include <exception>

namespace cvt {

CellAnswer WhoisCellLookup::ask(const ServerEntry& entry, const std::string& query) {
    if (entry.mark.empty()) {
        // Without a no-match text a reply cannot tell free from registered: the server is not asked.
        return {{Mark::Failed, "no no-match text known for this server (not calibrated)", false}, std::nullopt};
    }
    try {
        return {judgeReply(m_client->lookup(std::string(trim(entry.host)), query), entry), std::nullopt};
    } catch (const std::exception& failure) {
        // A failed exchange is a result, not an error: it is failed and can be asked again.
        m_client->closeConnection();
        return {{Mark::Failed, failureReason(failure.what()), false, isConnectionLoss(failure)}, std::nullopt};
    }
}

std::string WhoisCellLookup::reply(const ServerEntry& entry, const std::string& query) {
    try {
        return m_client->lookup(std::string(trim(entry.host)), query);
    } catch (const std::exception&) {
        m_client->closeConnection();
        throw;
    }
}

} // namespace cvt
