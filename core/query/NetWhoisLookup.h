#pragma once

#include "core/query/WhoisLookup.h"

#include <memory>

namespace cvt {

class TNetWhois;

// The WHOIS exchange over a real TCP connection (TNetWhois: connect limit 10 s, 6000 ms per read
// wait, 60 s per exchange, replies up to 4 MiB).
class NetWhoisLookup : public WhoisLookup {
public:
    NetWhoisLookup();
    ~NetWhoisLookup() override;
    NetWhoisLookup(const NetWhoisLookup&) = delete;
    NetWhoisLookup& operator=(const NetWhoisLookup&) = delete;

    std::string lookup(const std::string& serverField, const std::string& query) override;
    void setTimeLimits(std::chrono::milliseconds exchange, std::chrono::milliseconds connect) override;
    void closeConnection() override;
    void cancel() override;
    void cancelHostLookup() override;

    // The client, for settings such as its time limits.
    TNetWhois& client() { return *m_whois; }

private:
    std::unique_ptr<TNetWhois> m_whois;
};

} // namespace cvt
