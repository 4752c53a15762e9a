#include "core/query/NetWhoisLookup.h"

#include "net/whois/TNetWhois.h"

namespace cvt {

NetWhoisLookup::NetWhoisLookup() : m_whois(std::make_unique<TNetWhois>()) {}

NetWhoisLookup::~NetWhoisLookup() = default;

std::string NetWhoisLookup::lookup(const std::string& serverField, const std::string& query) {
    m_whois->SetServer(serverField);
    return m_whois->Lookup(query);
}

void NetWhoisLookup::setTimeLimits(std::chrono::milliseconds exchange, std::chrono::milliseconds connect) {
    m_whois->SetExchangeTimeout(static_cast<int>(exchange.count()));
    if (connect.count() > 0) {
        m_whois->SetConnectTimeout(static_cast<int>(connect.count()));
    }
}

void NetWhoisLookup::closeConnection() {
    m_whois->CloseConnection();
}

void NetWhoisLookup::cancel() {
    m_whois->Cancel();
}

void NetWhoisLookup::cancelHostLookup() {
    m_whois->CancelLookup();
}

} // namespace cvt
