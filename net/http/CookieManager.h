#pragma once

#include "net/http/Cookie.h"
#include "net/http/HttpHeaderList.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// The cookie store of the HTTP client. It lives as long as the client, so cookies carry over from
// one fetch to the next until they expire.
class TNetCookieManager {
public:
    using Clock = TNetCookie::Clock;

    // The store keeps at most this many cookies; beyond it the oldest one is dropped.
    static constexpr std::size_t kMaxCookies = 1000;

    // Stores the cookies of every Set-Cookie and Set-Cookie2 header of a response that came from
    // `host` for a request to `requestPath` (the directory part of the target, ending in "/").
    void addFromHeaders(const TNetHeaderList& headers, std::string_view host, std::string_view requestPath,
                        Clock::time_point now);

    // Stores one cookie when its domain suits the host it came from:
    // - a cookie without a domain gets the host as its domain;
    // - a domain without a leading dot must equal the host;
    // - a domain with a leading dot must equal the host's text from its first dot on (".b.c" for
    //   the host a.b.c); a host that is an IPv4 address accepts only its own address.
    // A cookie without a path gets `requestPath`, so it goes back only to that directory and below.
    // A stored cookie with the same name, domain and path is replaced. Returns whether it was kept.
    bool add(TNetCookie cookie, std::string_view host, std::string_view requestPath);

    void removeExpired(Clock::time_point now);

    // The value of the Cookie header for a request to `host` and `path` ("name=value" items joined
    // by "; ", longest path first), after dropping expired cookies. A cookie goes when its domain is
    // the host, or begins with a dot and ends the host; its path begins `path`; its value is not
    // empty; and it is not marked secure. Empty when none applies.
    std::string cookieHeader(std::string_view host, std::string_view path, Clock::time_point now);

    const std::vector<TNetCookie>& cookies() const { return m_cookies; }
    void clear() { m_cookies.clear(); }

private:
    std::vector<TNetCookie> m_cookies;
};

} // namespace cvt
