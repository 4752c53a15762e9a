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
};

// The lookup that asks the cells of the kind.
std::unique_ptr<CellLookup> makeCellLookup(LookupKind kind, const LookupClients& clients);

} // namespace cvt
