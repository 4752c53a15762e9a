#include "net/http/CookieManager.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using Clock = TNetCookie::Clock;
using std::chrono::hours;
using std::chrono::seconds;

// 2026-01-01 00:00:00 UTC.
const Clock::time_point kNow = Clock::time_point(seconds(1767225600));

TEST(CookieParse, ReadsNameValueAndAttributesRfc2965OnesOnlyForSetCookie2) {
    const TNetCookie c = TNetCookie::parse(" id = 42 ; Path=\"/a/\"; DOMAIN=.b.c; secure; Version=1; comment=hi",
                                           TNetCookie::Kind::Rfc2109, kNow);
    EXPECT_EQ((std::vector<std::string>{c.name, c.value, c.path, c.domain, c.version, c.comment}),
              (std::vector<std::string>{"id", "42", "/a/", ".b.c", "1", "hi"}));
    EXPECT_TRUE(c.secure);
    EXPECT_FALSE(c.expires.has_value());

    const char* header = "a=1; Discard; Port=\"80,8080\"; CommentURL=\"http://x/\"";
    const TNetCookie v2 = TNetCookie::parse(header, TNetCookie::Kind::Rfc2965, kNow);
    EXPECT_TRUE(v2.discard);
    EXPECT_EQ(v2.port, "80,8080");
    EXPECT_EQ(v2.commentURL, "http://x/");
    const TNetCookie v1 = TNetCookie::parse(header, TNetCookie::Kind::Rfc2109, kNow);
    EXPECT_FALSE(v1.discard);
    EXPECT_EQ(v1.port, "");
}

TEST(CookieParse, ExpiryFromMaxAgeWinsOverExpires) {
    struct Case {
        const char* header;
        bool expiredNow;
        bool expiredInTwoHours;
        bool hasExpiry;
    };
    const Case cases[] = {
        {"a=1", false, false, false},
        {"a=1; max-age=3600", false, true, true},
        {"a=1; max-age=0", true, true, true},
        {"a=1; max-age=-5", true, true, true},
        {"a=1; expires=Thu, 01 Jan 2026 01:00:00 GMT", false, true, true},
        {"a=1; expires=Wed, 31-Dec-25 23:00:00 GMT", true, true, true},
        {"a=1; expires=Thu Jan  1 01:00:00 2026", false, true, true},
        {"a=1; expires=Fri, 01 Jan 2100 00:00:00 GMT; max-age=60", false, true, true},
        {"a=1; expires=never", false, false, false},
        {"a=1; expires=Fri, 01 Jan 9999 00:00:00 GMT", false, false, true},
        // Ages past the cap are capped, never wrapped around to a few seconds.
        {"a=1; max-age=99999999999999999999", false, false, true},
        {"a=1; max-age=18446744073709551617", false, false, true},
        {"a=1; max-age=+60", false, false, false},
    };
    for (const Case& c : cases) {
        const TNetCookie cookie = TNetCookie::parse(c.header, TNetCookie::Kind::Rfc2109, kNow);
        EXPECT_EQ(cookie.isExpired(kNow), c.expiredNow) << c.header;
        EXPECT_EQ(cookie.isExpired(kNow + hours(2)), c.expiredInTwoHours) << c.header;
        EXPECT_EQ(cookie.expires.has_value(), c.hasExpiry) << c.header;
    }
}

TEST(CookieParse, DatesInTheThreeForms) {
    const auto expected = Clock::time_point(seconds(784111777)); // 1994-11-06 08:49:37 UTC
    for (const char* text :
         {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994"}) {
        const auto parsed = TNetCookie::parseDate(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(*parsed, expected) << text;
    }
    for (const char* text : {"", "Sun, 31 Feb 1994 08:49:37 GMT", "06 Nov 1994", "Sun, 06 Nov 1994 25:00:00 GMT"}) {
        EXPECT_FALSE(TNetCookie::parseDate(text).has_value()) << text;
    }
}

TEST(CookieManager, DomainMustSuitTheHost) {
    struct Case {
        const char* header;
        const char* host;
        bool accepted;
    };
    // clang-format off
    const Case cases[] = {
        {"a=1", "a.b.c", true}, {"a=1; domain=a.b.c", "a.b.c", true}, {"a=1; domain=A.B.C", "a.b.c", true},
        {"a=1; domain=.b.c", "a.b.c", true}, {"a=1; domain=b.c", "a.b.c", false}, {"a=1; domain=.c", "a.b.c", false},
        {"a=1; domain=.other.c", "a.b.c", false}, {"a=1; domain=x.a.b.c", "a.b.c", false},
        {"a=1; domain=127.0.0.1", "127.0.0.1", true},
        // An address accepts only itself, never a dotted tail.
        {"a=1; domain=.0.0.1", "127.0.0.1", false}, {"a=1; domain=.localhost", "localhost", false},
        {"=1", "a.b.c", false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        TNetCookieManager store;
        EXPECT_EQ(store.add(TNetCookie::parse(c.header, TNetCookie::Kind::Rfc2109, kNow), c.host, "/"), c.accepted);
        EXPECT_EQ(store.cookies().size(), c.accepted ? 1u : 0u);
    }
}

TEST(CookieManager, CookieHeaderPicksByDomainPathValueAndSecure) {
    TNetCookieManager store;
    const struct {
        const char* header;
        const char* host;
        const char* requestPath;
    } stored[] = {
        {"root=r; path=/", "www.x.com", "/"},
        {"deep=d; path=/a/b/", "www.x.com", "/"},
        {"dir=x", "www.x.com", "/a/"}, // no path: the directory of its request
        {"wide=w; domain=.x.com", "www.x.com", "/"},
        {"empty=", "www.x.com", "/"},
        {"safe=s; secure; path=/", "www.x.com", "/"},
        {"other=o; path=/", "www.y.com", "/"},
        {"quoted=q; path=\"/a/\"", "www.x.com", "/"},
    };
    for (const auto& s : stored) {
        store.add(TNetCookie::parse(s.header, TNetCookie::Kind::Rfc2109, kNow), s.host, s.requestPath);
    }
    struct Case {
        const char* host;
        const char* path;
        const char* header;
    };
    const Case cases[] = {
        {"www.x.com", "/", "root=r; wide=w"},
        // Longest path first; equal paths in the order they were set.
        {"www.x.com", "/a/", "dir=x; quoted=q; root=r; wide=w"},
        {"www.x.com", "/a/b/c.html", "deep=d; dir=x; quoted=q; root=r; wide=w"},
        {"WWW.X.COM", "/b/", "root=r; wide=w"},
        // Only the domain cookie goes to another host of the domain.
        {"mail.x.com", "/a/", "wide=w"},
        // A cookie never goes to a host that merely contains its domain.
        {"www.x.com.evil.net", "/", ""},
        {"evilwww.x.com", "/", "wide=w"},
        {"evilx.com", "/", ""},
        {"www.y.com", "/", "other=o"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(store.cookieHeader(c.host, c.path, kNow), c.header) << c.host << c.path;
    }
}

TEST(CookieManager, SameNameDomainAndPathReplacesAndExpiryRemoves) {
    TNetCookieManager store;
    TNetHeaderList headers;
    headers.add("Set-Cookie: s=1; path=/");
    headers.add("set-cookie: t=2; path=/; max-age=60");
    headers.add("Set-Cookie2: u=3; path=/");
    store.addFromHeaders(headers, "h", "/", kNow);
    EXPECT_EQ(store.cookieHeader("h", "/", kNow), "s=1; t=2; u=3");

    TNetHeaderList again;
    again.add("Set-Cookie: s=9; path=/");
    again.add("Set-Cookie: u=; path=/; max-age=0");
    store.addFromHeaders(again, "h", "/", kNow);
    EXPECT_EQ(store.cookieHeader("h", "/", kNow), "t=2; s=9");
    EXPECT_EQ(store.cookieHeader("h", "/", kNow + seconds(61)), "s=9");
    EXPECT_EQ(store.cookies().size(), 1u);
}

TEST(CookieManager, StoreStaysBounded) {
    TNetCookieManager store;
    for (std::size_t i = 0; i < TNetCookieManager::kMaxCookies + 50; ++i) {
        store.add(TNetCookie::parse("c" + std::to_string(i) + "=v", TNetCookie::Kind::Rfc2109, kNow), "h", "/");
    }
    EXPECT_EQ(store.cookies().size(), TNetCookieManager::kMaxCookies);
    EXPECT_EQ(store.cookies().front().name, "c50");
}

} // namespace
} // namespace cvt
