#pragma once

#include "core/query/CellLookup.h"
#include "core/query/WhoisLookup.h"

#include <memory>

namespace cvt {

// Asks a cell over WHOIS: one exchange with the entry's host, judged by judgeReply. A failed
// exchange closes the connection. An entry without a no-match text (a suffix not calibrated yet)
// is failed without an exchange.
class WhoisCellLookup : public CellLookup {
public:
    explicit WhoisCellLookup(std::unique_ptr<WhoisLookup> client) : m_client(std::move(client)) {}

    CellAnswer ask(const ServerEntry& entry, const std::string& query) override;
    std::string reply(const ServerEntry& entry, const std::string& query) override;
    void cancel() override { m_client->cancel(); }
    void cancelHostLookup() override { m_client->cancelHostLookup(); }

private:
    std::unique_ptr<WhoisLookup> m_client;
};

} // namespace cvt
