#pragma once

#include "core/query/CellLookup.h"
#include "core/query/ServerEntry.h"

#include <chrono>
#include <functional>
#include <memory>

namespace cvt {

class RdapClient;
class WhoisLookup;
struct CalibrationResult;

// Gives a WHOIS entry without a no-match mark the text calibrated for its server, asking the server
// through the lane's own client when it must be derived; or says why there is none.
using CalibrateEntry = std::function<CalibrationResult(const ServerEntry& entry, WhoisLookup& client)>;

// The clients the lookups of a lane are made with (each called once per lane that needs it), and
// the time limits every exchange of the lane keeps.
struct LookupClients {
    std::function<std::unique_ptr<WhoisLookup>()> whois;
    std::function<std::unique_ptr<RdapClient>()> rdap;
    std::chrono::milliseconds exchangeTimeout;
    std::chrono::milliseconds connectTimeout;
    // Null: a WHOIS entry without a mark has every cell failed.
    CalibrateEntry calibrate = {};
};

// The lookup that asks the cells of the kind.
std::unique_ptr<CellLookup> makeCellLookup(LookupKind kind, const LookupClients& clients);

} // namespace cvt
