#include "core/query/CellLookupSet.h"

#include <stdexcept>

namespace cvt {

CellLookupSet::CellLookupSet(const LookupClients& clients, const std::vector<ServerEntry>& entries) {
    for (const ServerEntry& entry : entries) {
        if (!m_lookups.contains(entry.kind)) {
            m_lookups.emplace(entry.kind, makeCellLookup(entry.kind, clients));
        }
    }
}

CellLookup* CellLookupSet::find(LookupKind kind) const {
    const auto found = m_lookups.find(kind);
    return found == m_lookups.end() ? nullptr : found->second.get();
}

std::string CellLookupSet::reply(const ServerEntry& entry, const std::string& query) const {
    CellLookup* lookup = find(entry.kind);
    if (lookup == nullptr) {
        throw std::runtime_error("no client for this server");
    }
    return lookup->reply(entry, query);
}

void CellLookupSet::cancel() const {
    for (const auto& [kind, lookup] : m_lookups) {
        lookup->cancel();
    }
}

void CellLookupSet::setNextTurn(const CellLookup::NextTurn& nextTurn) const {
    for (const auto& [kind, lookup] : m_lookups) {
        lookup->setNextTurn(nextTurn);
    }
}

void CellLookupSet::cancelHostLookup() const {
    for (const auto& [kind, lookup] : m_lookups) {
        lookup->cancelHostLookup();
    }
}

} // namespace cvt
