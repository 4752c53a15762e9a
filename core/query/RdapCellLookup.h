#pragma once

#include "core/query/CellLookup.h"

#include <memory>

namespace cvt {

class RdapClient;
struct RdapOutcome;

// The answer an RDAP outcome gives a cell: free, registered, or failed with its reason (a 429 is a
// refusal; a Retry-After of a 429 or 503 is passed on).
CellAnswer rdapCellAnswer(const RdapOutcome& outcome);

// Asks a cell over RDAP: the entry's host is the base address, the reply's status says free or
// registered (see RdapOutcome). A 429 is a refusal; a Retry-After of a 429 or 503 is passed on.
class RdapCellLookup : public CellLookup {
public:
    explicit RdapCellLookup(std::unique_ptr<RdapClient> client);
    ~RdapCellLookup() override;

    CellAnswer ask(const ServerEntry& entry, const std::string& query) override;
    // The reply's JSON pretty-printed, or its status line (or failure) when there was no JSON.
    std::string reply(const ServerEntry& entry, const std::string& query) override;
    void cancel() override;

private:
    std::unique_ptr<RdapClient> m_client;
};

} // namespace cvt
