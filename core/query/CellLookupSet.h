#pragma once

#include "core/query/CellLookup.h"
#include "core/query/CellLookups.h"
#include "core/query/ServerEntry.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace cvt {

// The lookups a set of server entries needs, one per lookup kind among them, made up front so that
// the cancel calls may come from other threads while one thread asks.
class CellLookupSet {
public:
    CellLookupSet(const LookupClients& clients, const std::vector<ServerEntry>& entries);

    // The lookup for the kind; nullptr when none of the entries had that kind.
    CellLookup* find(LookupKind kind) const;
    // The entry's server's whole answer about query (CellLookup::reply); throws when the exchange
    // fails or the set has no lookup for the entry's kind.
    std::string reply(const ServerEntry& entry, const std::string& query) const;

    // Thread-safe: the exchanges under way (and every later one) fail at once.
    void cancel() const;
    // Thread-safe: the host name lookups under way (and every later one) fail at once.
    void cancelHostLookup() const;
    // The wait every lookup of the set keeps between the exchanges a cell needs beyond its own.
    void setNextTurn(const CellLookup::NextTurn& nextTurn) const;

private:
    std::map<LookupKind, std::unique_ptr<CellLookup>> m_lookups;
};

} // namespace cvt
