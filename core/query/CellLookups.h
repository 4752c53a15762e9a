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

// Gives a WHOIS entry without a no-match mark the text calibrated for its server, asking the server
// through the lane's own client when it must be derived; or says why there is none.
using CalibrateEntry = std::function<CalibrationResult(const ServerEntry& entry, WhoisLookup& client)>;

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
