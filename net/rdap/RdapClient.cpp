#include "net/rdap/RdapClient.h"

#include "net/dns/DnsName.h"
#include "net/http/HttpExceptions.h"
#include "net/socket/ConnectionLoss.h"
#include "net/socket/NetExceptions.h"

#include <exception>

namespace cvt {

RdapClient::RdapClient() : m_clock([] { return std::chrono::system_clock::now(); }) {
    TNetHTTPRequest& request = m_http.Request();
    request.accept = "application/rdap+json";
    request.contentType.clear();
    request.userAgent = "corvantide";
    m_http.SetAllowCookies(false);
    m_http.SetHandleRedirects(true);
    m_http.SetRedirectMaximum(5);
    m_http.SetReadTimeout(kDefaultReadTimeoutMs);
}

std::string RdapClient::lookupUrl(std::string_view base, std::string_view domain) {
    std::string url(base);
    if (url.empty() || url.back() != '/') {
        url += '/';
    }
    url += "domain/";
    url += domain;
    return url;
}

RdapOutcome RdapClient::lookup(std::string_view base, std::string_view domain) {
    if (!dnsCanCarry(domain)) {
        // Anything else would change the address: "#" or "?" cut the name short, "/" and ".." walk
        // the server's paths.
        RdapOutcome refused;
        refused.reason = std::string(kNotAHostName);
        refused.details = refused.reason;
        return refused;
    }
    RdapReply reply;
    reply.asked = domain;
    try {
        reply.body = m_http.Get(lookupUrl(base, domain));
        reply.status = m_http.Response().responseCode();
        reply.statusLine = m_http.Response().responseText;
    } catch (const ENetHTTPProtocolException& error) {
        reply.status = error.replyCode();
        reply.statusLine = error.what();
        reply.body = error.errorMessage();
        reply.retryAfter = m_http.Response().rawHeaders.value("Retry-After");
    } catch (const ENetOperationCancelled&) {
        throw;
    } catch (const std::exception& error) {
        // Network, TLS and redirect failures, and a base address the client cannot use.
        RdapOutcome failed;
        failed.reason = error.what();
        failed.details = error.what();
        failed.noReply = isConnectionLoss(error);
        return failed;
    }
    return rdapOutcomeOf(reply, m_clock());
}

} // namespace cvt
