#pragma once

#include "core/query/CellLookup.h"
#include "core/query/CellLookups.h"
#include "core/query/WhoisCellLookup.h"

#include <memory>

namespace cvt {

class RdapClient;

// Asks a cell over RDAP at the entry's base and, when that brings no answer (a TLS or network
// failure, a 5xx), over WHOIS at the entry's whoisHost with its mark (or calibrated text). Any
// answer RDAP does give stands: free, registered, a refusal (429), another status, a name that is
// not a host name. When both fail, the cell is failed with both reasons.
class RdapThenWhoisCellLookup : public CellLookup {
public:
    RdapThenWhoisCellLookup(std::unique_ptr<RdapClient> rdap, std::unique_ptr<WhoisCellLookup> whois);
    ~RdapThenWhoisCellLookup() override;

    // The lookup with the lane's clients and time limits.
    static std::unique_ptr<CellLookup> make(const LookupClients& clients);

    CellAnswer ask(const ServerEntry& entry, const std::string& query) override;
    // The RDAP reply's details, or the WHOIS reply when RDAP brings no answer.
    std::string reply(const ServerEntry& entry, const std::string& query) override;
    void cancel() override;
    void cancelHostLookup() override { m_whois->cancelHostLookup(); }
    void setNextTurn(NextTurn nextTurn) override { m_whois->setNextTurn(std::move(nextTurn)); }

private:
    std::unique_ptr<RdapClient> m_rdap;
    std::unique_ptr<WhoisCellLookup> m_whois;
};

} // namespace cvt
