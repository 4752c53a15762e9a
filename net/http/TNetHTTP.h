#pragma once

#include "net/http/CookieManager.h"
#include "net/http/TNetHTTPRequest.h"
#include "net/http/TNetHTTPResponse.h"
#include "net/http/TNetURI.h"
#include "net/socket/TNetTCPClient.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace cvt {

enum class TNetHTTPProtocolVersion { pv1_0, pv1_1 };

// The HTTP options; a GET reads none of them (addresses are never percent-encoded).
enum TNetHTTPOption : unsigned {
    hoInProcessAuth = 1u << 0,
    hoKeepOrigProtocol = 1u << 1,
    hoForceEncodeParams = 1u << 2,
};

// An HTTP/1.1 client that fetches one page per Get on a blocking connection.
//
// The client keeps its state from one fetch to the next: the current target (a relative address
// is taken against the previous host, port and path), the cookie store, and a connection the
// server left open, which the next fetch to the same host and port reuses.
//
// Redirects are not followed unless HandleRedirects is on: a 3xx status (other than 304), or any
// response with a Location header, fails like any status outside 2xx with
// ENetHTTPProtocolException carrying the status line, the code and the error page. With
// HandleRedirects on, 301, 302, 303, 307 and 308 are followed with a GET, at most RedirectMaximum
// times; one more fails with ENetHTTPRedirectRefused "Too many redirects (last: URL)", and so does
// a redirect from https to http ("Redirect from https to http refused: URL") or to a scheme other
// than http and https ("Redirect to URL refused: only http and https are followed"). A Location is
// absolute only when a scheme stands at its start. Credentials are not
// offered to another host. https addresses are fetched over TLS (net/socket/TNetIOHandlerSSL). A body larger than
// kMaxBodyBytes, or a header larger than kMaxHeadBytes,
// fails with ENetHTTPResponseTooLarge.
//
// Cancel() (from any thread) ends a fetch under way with ENetOperationCancelled; the client stays
// usable and the next Get starts afresh.
class TNetCustomHTTP : public TNetTCPClient {
public:
    using Clock = TNetCookie::Clock;

    static constexpr std::size_t kMaxBodyBytes = 64u * 1024 * 1024;
    static constexpr std::size_t kMaxHeadBytes = 1024u * 1024;
    static constexpr int kDefaultErrorBodyTimeoutMs = 2000;

    TNetCustomHTTP();

    // One GET of url; the response body, byte for byte.
    std::string Get(std::string_view url);
    // The same, appending the body to `body`.
    void Get(std::string_view url, std::string& body);

    TNetHTTPRequest& Request() { return m_request; }
    const TNetHTTPResponse& Response() const { return m_response; }
    // The current target, as the last fetch left it.
    const TNetURI& URL() const { return m_url; }
    // The cookie store; null until the first response has been read.
    TNetCookieManager* CookieManager() const { return m_cookieManager.get(); }

    bool AllowCookies() const { return m_allowCookies; }
    void SetAllowCookies(bool on) { m_allowCookies = on; }
    // Whether (and how often) 301/302/303/307/308 are followed; off by default.
    bool HandleRedirects() const { return m_handleRedirects; }
    void SetHandleRedirects(bool on) { m_handleRedirects = on; }
    int RedirectMaximum() const { return m_redirectMaximum; }
    void SetRedirectMaximum(int count) { m_redirectMaximum = count; }
    TNetHTTPProtocolVersion ProtocolVersion() const { return m_protocolVersion; }
    void SetProtocolVersion(TNetHTTPProtocolVersion version) { m_protocolVersion = version; }
    unsigned HTTPOptions() const { return m_options; }
    void SetHTTPOptions(unsigned options) { m_options = options; }
    // Milliseconds a whole fetch may spend reading the response, measured from the start of the Get;
    // past it the fetch fails with ENetReadTimeout however slowly the bytes still come. 0 = no
    // limit (the default).
    int FetchTimeout() const { return m_fetchTimeout; }
    void SetFetchTimeout(int milliseconds) { m_fetchTimeout = milliseconds; }
    // How long each wait may last while the body of an error response is read. Default 2000 ms.
    int ErrorBodyTimeout() const { return m_errorBodyTimeout; }
    void SetErrorBodyTimeout(int milliseconds) { m_errorBodyTimeout = milliseconds; }
    // The clock that decides cookie expiry (the system clock unless a test sets another).
    void SetClock(std::function<Clock::time_point()> clock) { m_clock = std::move(clock); }

    // Whether the last response left the connection open for the next fetch.
    bool KeepAlive() const { return m_keepAlive; }

private:
    class ConnectionSource;

    // One request and its response, without following a redirect.
    void exchange(std::string& body);
    // The Location of the last response as an absolute address.
    std::string redirectTarget() const;
    void prepareRequest();
    void connectToHost();
    void sendRequest();
    void readResponseHead();
    // Reads the body of a 2xx response, or the error page of any other, which it then throws.
    void processResponse(std::string& body);
    [[noreturn]] void raiseProtocolError();
    bool responseKeepsAlive();
    std::string protocolVersionText() const;

    TNetHTTPRequest m_request;
    TNetHTTPResponse m_response;
    TNetURI m_url;
    std::unique_ptr<TNetCookieManager> m_cookieManager;
    std::function<Clock::time_point()> m_clock;

    bool m_allowCookies = true;
    bool m_handleRedirects = false;
    int m_redirectMaximum = 15;
    TNetHTTPProtocolVersion m_protocolVersion = TNetHTTPProtocolVersion::pv1_1;
    unsigned m_options = hoForceEncodeParams;
    int m_errorBodyTimeout = kDefaultErrorBodyTimeoutMs;
    int m_fetchTimeout = 0;

    bool m_keepAlive = false;
    bool m_responseComplete = false;
};

// The HTTP client component as the word-list dialog uses it.
class TNetHTTP : public TNetCustomHTTP {
public:
    TNetHTTP() = default;
};

} // namespace cvt
