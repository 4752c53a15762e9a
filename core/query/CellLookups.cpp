#include "core/query/CellLookups.h"

#include "core/query/RdapCellLookup.h"
#include "core/query/WhoisCellLookup.h"
#include "net/rdap/RdapClient.h"

#include <utility>

namespace cvt {

namespace {

using MakeLookup = std::unique_ptr<CellLookup> (*)(const LookupClients& clients);

// Every lookup kind with the lookup that asks its cells: a new kind is one more line.
constexpr std::pair<LookupKind, MakeLookup> kLookups[] = {
    {LookupKind::Whois,
     [](const LookupClients& c) -> std::unique_ptr<CellLookup> {
         return std::make_unique<WhoisCellLookup>(c.whois());
     }},
    {LookupKind::Rdap,
     [](const LookupClients& c) -> std::unique_ptr<CellLookup> {
         return std::make_unique<RdapCellLookup>(c.rdap ? c.rdap() : std::make_unique<RdapClient>());
     }},
};

} // namespace

std::unique_ptr<CellLookup> makeCellLookup(LookupKind kind, const LookupClients& clients) {
    for (const auto& [lookupKind, make] : kLookups) {
        if (lookupKind == kind) {
            return make(clients);
        }
    }
    return nullptr;
}

} // namespace cvt
