#include "core/query/CellLookups.h"

#include "core/query/RdapCellLookup.h"
#include "core/query/RdapThenWhoisCellLookup.h"
#include "core/query/WhoisCellLookup.h"
#include "core/query/WhoisLookup.h"
#include "net/rdap/RdapClient.h"

#include <utility>

namespace cvt {

namespace {

using MakeLookup = std::unique_ptr<CellLookup> (*)(const LookupClients& clients);

// Every lookup kind with the lookup that asks its cells: a new kind is one more line.
constexpr std::pair<LookupKind, MakeLookup> kLookups[] = {
    {LookupKind::Whois,
     [](const LookupClients& c) -> std::unique_ptr<CellLookup> {
         std::unique_ptr<WhoisLookup> client = c.whois();
         if (c.timeLimits) {
             client->setTimeLimits(c.timeLimits->exchange, c.timeLimits->connect);
         }
         return std::make_unique<WhoisCellLookup>(std::move(client), c.calibrate);
     }},
    {LookupKind::Rdap,
     [](const LookupClients& c) -> std::unique_ptr<CellLookup> {
         std::unique_ptr<RdapClient> client = c.rdap ? c.rdap() : std::make_unique<RdapClient>();
         if (c.timeLimits) {
             client->SetTimeLimits(static_cast<int>(c.timeLimits->exchange.count()),
                                   static_cast<int>(c.timeLimits->connect.count()));
         }
         return std::make_unique<RdapCellLookup>(std::move(client));
     }},
    {LookupKind::RdapThenWhois, [](const LookupClients& c) { return RdapThenWhoisCellLookup::make(c); }},
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
