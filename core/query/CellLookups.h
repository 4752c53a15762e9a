#pragma once

#include "core/query/CellLookup.h"
#include "core/query/ServerEntry.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace cvt {

class RdapClient;
class WhoisLookup;
struct CalibrationResult;

// What the calibration of a WHOIS entry's server is asked with.
struct CalibrationCall {
    const ServerEntry& entry;
    WhoisLookup& client; // the lane's own
    // Waits for the server's turn between two questions; false when the run stops. Empty: no waits.
    std::function<bool()> nextTurn = {};
    // Derive the texts now, whatever is kept: the server's replies no longer fit them.
    bool again = false;
};

// Gives a WHOIS entry without a no-match mark the texts calibrated for its server, asking the server
// through the lane's own client when they must be derived; or says why there are none.
using CalibrateEntry = std::function<CalibrationResult(const CalibrationCall& call)>;

// How long an exchange and its connect may take.
struct ExchangeTimeLimits {
    std::chrono::milliseconds exchange;
    std::chrono::milliseconds connect;
};

// The clients lookups are made with (each called once per lookup that needs it; no RDAP maker: a
// plain RdapClient), and the time limits every exchange keeps (none given: the clients' own).
struct LookupClients {
    std::function<std::unique_ptr<WhoisLookup>()> whois;
    std::function<std::unique_ptr<RdapClient>()> rdap;
    std::optional<ExchangeTimeLimits> timeLimits;
    // Null: a WHOIS entry without a mark has every cell failed.
    CalibrateEntry calibrate = {};
};

// The lookup that asks the cells of the kind.
std::unique_ptr<CellLookup> makeCellLookup(LookupKind kind, const LookupClients& clients);

} // namespace cvt
