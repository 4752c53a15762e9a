// Cookie headers from arbitrary bytes: the first line is the host, the others Set-Cookie values.
// The store stays bounded and the Cookie header only carries cookies with a value.
#include "net/http/CookieManager.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const cvt::TNetCookie::Clock::time_point now{std::chrono::seconds(1767225600)};
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t firstLine = input.find('\n');
    const std::string_view host = input.substr(0, firstLine);
    input = firstLine == std::string_view::npos ? std::string_view() : input.substr(firstLine + 1);

    cvt::TNetHeaderList headers;
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        headers.add("Set-Cookie: " + std::string(input.substr(0, end)));
        (void)cvt::TNetCookie::parseDate(input.substr(0, end));
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    }
    cvt::TNetCookieManager store;
    store.addFromHeaders(headers, host, "/dir/", now);
    if (store.cookies().size() > cvt::TNetCookieManager::kMaxCookies) {
        __builtin_trap();
    }
    for (const cvt::TNetCookie& cookie : store.cookies()) {
        if (cookie.name.empty() || cookie.path.empty() || cookie.domain.empty()) {
            __builtin_trap();
        }
    }
    const std::string header = store.cookieHeader(host, "/dir/page", now);
    if (!header.empty() && header.find('=') == std::string::npos) {
        __builtin_trap();
    }
    (void)store.cookieHeader(host, "/", now + std::chrono::hours(24 * 365 * 100));
    return 0;
}
