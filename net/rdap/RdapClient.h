#pragma once

#include "net/http/TNetHTTP.h"
#include "net/rdap/RdapReply.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace cvt {

// Looks names up in RDAP registries: GET <base>domain/<name> with Accept: application/rdap+json,
// up to five redirects followed (http to https allowed, never back), the connection kept alive for
// the next lookup to the same server. One client serves one thread at a time (one per lane); its
// Cancel may come from any thread and ends a lookup under way with ENetOperationCancelled, the one
// failure lookup() throws. Every other failure is an outcome marked Failed.
class RdapClient {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    static constexpr int kDefaultReadTimeoutMs = 15000;

    RdapClient();

    // The reason of a name that is not a sequence of host name labels (letters, digits, hyphens, one
    // dot between labels): it is never sent.
    static constexpr std::string_view kNotAHostName = "not a host name";

    // base is the registry's RDAP base address ("https://rdap.example/rdap/"; a missing final "/"
    // is added); domain the full name ("example.info").
    RdapOutcome lookup(std::string_view base, std::string_view domain);

    // The address lookup() asks for.
    static std::string lookupUrl(std::string_view base, std::string_view domain);

    void Cancel() { m_http.Cancel(); }
    void ClearCancel() { m_http.ClearCancel(); }
    // Each wait for reply data and the connect (with the TLS handshake) is limited by this. 0: none.
    void SetReadTimeout(int milliseconds) { m_http.SetReadTimeout(milliseconds); }
    // The whole lookup's limit, from its start (0: none), and the connect's (0: the read limit).
    void SetTimeLimits(int exchangeMs, int connectMs) {
        m_http.SetFetchTimeout(exchangeMs);
        m_http.SetConnectTimeout(connectMs);
    }
    // The clock an HTTP-date Retry-After is measured against.
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    // The HTTP client underneath (tests count its connections through its socket seam).
    TNetHTTP& Http() { return m_http; }

private:
    TNetHTTP m_http;
    Clock m_clock;
};

} // namespace cvt
