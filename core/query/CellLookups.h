#pragma once

#include "core/query/CellLookup.h"
#include "core/query/ServerEntry.h"

#include <functional>
#include <memory>

namespace cvt {

class RdapClient;
class WhoisLookup;

// The clients the lookups of a lane are made with; each is called once per lane that needs it.
struct LookupClients {
    std::function<std::unique_ptr<WhoisLookup>()> whois;
    std::function<std::unique_ptr<RdapClient>()> rdap;
};

// The lookup that asks the cells of the kind.
std::unique_ptr<CellLookup> makeCellLookup(LookupKind kind, const LookupClients& clients);

} // namespace cvt
