#pragma once

#include "core/query/CellLookup.h"
#include "core/query/CellLookups.h"
#include "core/query/WhoisLookup.h"
#include "core/suffixes/WhoisCalibrator.h"

#include <map>
#include <memory>
#include <string>

namespace cvt {

// Asks a cell over WHOIS: one exchange with the entry's host, judged by judgeReply. A failed
// exchange closes the connection. An entry without a no-match mark is judged by the text calibrated
// for its server, found (or derived, through this lookup's client, so on the lane's thread) before
// its first cell and kept for the lane; when there is none, each of its cells is failed with the
// reason, never judged.
class WhoisCellLookup : public CellLookup {
public:
    explicit WhoisCellLookup(std::unique_ptr<WhoisLookup> client, CalibrateEntry calibrate = {})
        : m_client(std::move(client)), m_calibrate(std::move(calibrate)) {}

    CellAnswer ask(const ServerEntry& entry, const std::string& query) override;
    std::string reply(const ServerEntry& entry, const std::string& query) override;
    void cancel() override { m_client->cancel(); }
    void cancelHostLookup() override { m_client->cancelHostLookup(); }

private:
    CellAnswer askWith(const ServerEntry& entry, const std::string& query);
    const CalibrationResult& calibrationFor(const ServerEntry& entry);

    std::unique_ptr<WhoisLookup> m_client;
    CalibrateEntry m_calibrate;
    std::map<std::string, CalibrationResult, std::less<>> m_calibrated; // by server, as the entry names it
};

} // namespace cvt
