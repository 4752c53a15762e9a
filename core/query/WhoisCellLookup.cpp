#include "core/query/WhoisCellLookup.h"

#include "net/socket/ConnectionLoss.h"
#include "text/TextUtil.h"

#include <exception>

namespace cvt {

CellAnswer WhoisCellLookup::ask(const ServerEntry& entry, const std::string& query) {
    if (!entry.mark.empty()) {
        return askWith(entry, query);
    }
    const CalibrationResult& calibration = calibrationFor(entry);
    if (!calibration.succeeded()) {
        return {{Mark::Failed, "no no-match text: " + calibration.reason, false}, std::nullopt};
    }
    ServerEntry calibrated = entry;
    calibrated.mark = calibration.mark;
    return askWith(calibrated, query);
}

const CalibrationResult& WhoisCellLookup::calibrationFor(const ServerEntry& entry) {
    const std::string server(trim(entry.host));
    if (const auto known = m_calibrated.find(server); known != m_calibrated.end()) {
        return known->second;
    }
    CalibrationResult result =
        m_calibrate ? m_calibrate(entry, *m_client)
                    : CalibrationResult{{}, "not calibrated yet (corvantide-cli calibrate " + entry.caption + ")"};
    return m_calibrated.emplace(server, std::move(result)).first->second;
}

CellAnswer WhoisCellLookup::askWith(const ServerEntry& entry, const std::string& query) {
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
