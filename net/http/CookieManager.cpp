#include "net/http/CookieManager.h"

#include "net/http/HttpText.h"

#include <algorithm>

namespace cvt {

namespace {

bool domainSuitsHost(std::string_view domain, std::string_view host) {
    if (http::isDottedIPv4(host) || domain.empty() || domain.front() != '.') {
        return equalsIgnoreCase(domain, host);
    }
    const std::size_t dot = host.find('.');
    return dot != std::string_view::npos && equalsIgnoreCase(domain, host.substr(dot));
}

bool domainMatchesHost(std::string_view domain, std::string_view host) {
    if (equalsIgnoreCase(domain, host)) {
        return true;
    }
    return !domain.empty() && domain.front() == '.' && !http::isDottedIPv4(host) && endsWithIgnoreCase(host, domain);
}

} // namespace

void TNetCookieManager::addFromHeaders(const TNetHeaderList& headers, std::string_view host,
                                       std::string_view requestPath, Clock::time_point now) {
    for (const std::string& value : headers.values("Set-cookie")) {
        add(TNetCookie::parse(value, TNetCookie::Kind::Rfc2109, now), host, requestPath);
    }
    for (const std::string& value : headers.values("Set-cookie2")) {
        add(TNetCookie::parse(value, TNetCookie::Kind::Rfc2965, now), host, requestPath);
    }
}

bool TNetCookieManager::add(TNetCookie cookie, std::string_view host, std::string_view requestPath) {
    if (cookie.name.empty()) {
        return false;
    }
    if (cookie.domain.empty()) {
        cookie.domain = host;
    }
    if (cookie.domain.empty() || !domainSuitsHost(cookie.domain, host)) {
        return false;
    }
    if (cookie.path.empty()) {
        cookie.path = requestPath.empty() ? std::string_view("/") : requestPath;
    }
    std::erase_if(m_cookies, [&cookie](const TNetCookie& stored) {
        return stored.name == cookie.name && equalsIgnoreCase(stored.domain, cookie.domain) &&
               stored.path == cookie.path;
    });
    if (m_cookies.size() >= kMaxCookies) {
        m_cookies.erase(m_cookies.begin());
    }
    m_cookies.push_back(std::move(cookie));
    return true;
}

void TNetCookieManager::removeExpired(Clock::time_point now) {
    std::erase_if(m_cookies, [now](const TNetCookie& cookie) { return cookie.isExpired(now); });
}

std::string TNetCookieManager::cookieHeader(std::string_view host, std::string_view path, Clock::time_point now) {
    removeExpired(now);
    std::vector<const TNetCookie*> chosen;
    for (const TNetCookie& cookie : m_cookies) {
        if (!cookie.value.empty() && !cookie.secure && domainMatchesHost(cookie.domain, host) &&
            path.starts_with(cookie.path)) {
            chosen.push_back(&cookie);
        }
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const TNetCookie* a, const TNetCookie* b) { return a->path > b->path; });
    std::string header;
    for (const TNetCookie* cookie : chosen) {
        if (!header.empty()) {
            header += "; ";
        }
        header += cookie->name + "=" + cookie->value;
    }
    return header;
}

} // namespace cvt
