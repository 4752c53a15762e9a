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
// exchange closes the connection.
//
// An entry without a no-match mark is judged by the texts calibrated for its server, found (or
// derived, through this lookup's client, so on the lane's thread and at its pace) before its first
// cell and kept for the lane; when there are none, each of its cells is failed with the reason,
// never judged. Such a reply is free when it holds the no-match text alone, registered when it holds
// the registered text alone (either found outside the asked domain the reply echoes), and otherwise
// (or when the registered text is unknown) shows the server answers in words the calibration did not
// see: the texts are derived again, once per server for the lane, and the reply judged by the new
// ones; a reply that still fits neither fails with the reason.
class WhoisCellLookup : public CellLookup {
public:
    explicit WhoisCellLookup(std::unique_ptr<WhoisLookup> client, CalibrateEntry calibrate = {})
        : m_client(std::move(client)), m_calibrate(std::move(calibrate)) {}

    CellAnswer ask(const ServerEntry& entry, const std::string& query) override;
    std::string reply(const ServerEntry& entry, const std::string& query) override;
    void cancel() override { m_client->cancel(); }
    void cancelHostLookup() override { m_client->cancelHostLookup(); }
    void setNextTurn(NextTurn nextTurn) override { m_nextTurn = std::move(nextTurn); }

private:
    // A server's calibration as this lookup holds it.
    struct Calibrated {
        CalibrationResult result;
        bool derivedAgain = false;     // the texts were derived again in this run
        std::string againFailure = {}; // why deriving them again gave none, empty when it did
    };

    CellAnswer askWith(const ServerEntry& entry, const std::string& query);
    CellAnswer askCalibrated(const ServerEntry& entry, const std::string& query);
    // Finds or derives the server's texts; nullptr when the run stopped meanwhile.
    Calibrated* calibrationFor(const ServerEntry& entry, bool& questionsAsked);
    // Derives the server's texts again; false when the run stopped meanwhile.
    bool deriveAgain(const ServerEntry& entry, Calibrated& calibration);
    bool nextTurn(const ServerEntry& entry) const;

    std::unique_ptr<WhoisLookup> m_client;
    CalibrateEntry m_calibrate;
    NextTurn m_nextTurn;
    std::map<std::string, Calibrated, std::less<>> m_calibrated; // by server, as the entry names it
};

} // namespace cvt
