// Cookie paths: two cookies with any path attributes, set from any request directory, go back with
// a request exactly when their stored path begins the request's path, the greater path first.
#include "fuzz/FuzzInput.h"
#include "net/http/CookieManager.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) {
        text.remove_prefix(1);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) {
        text.remove_suffix(1);
    }
    return text;
}

// The path a cookie is stored with: the attribute's value up to the next ";", trimmed, without a
// pair of enclosing double quotes; the request's directory when that leaves nothing.
std::string storedPath(std::string_view attribute, std::string_view requestPath) {
    std::string_view path = trimmed(attribute.substr(0, attribute.find(';')));
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        path = path.substr(1, path.size() - 2);
    }
    if (path.empty()) {
        return requestPath.empty() ? "/" : std::string(requestPath);
    }
    return std::string(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using cvt::fuzz::require;
    cvt::fuzz::FieldReader input(data, size);
    const std::string_view firstPath = input.next();
    const std::string_view secondPath = input.next();
    const std::string_view requestPath = input.next();
    const std::string_view path = input.next();

    const auto now = cvt::TNetCookie::Clock::time_point(std::chrono::hours(24 * 365 * 56));
    constexpr std::string_view kHost = "www.example.org";
    cvt::TNetCookieManager store;
    const std::string first = "one=1; path=" + std::string(firstPath);
    const std::string second = "two=2; Path=" + std::string(secondPath);
    require(store.add(cvt::TNetCookie::parse(first, cvt::TNetCookie::Kind::Rfc2109, now), kHost, requestPath));
    require(store.add(cvt::TNetCookie::parse(second, cvt::TNetCookie::Kind::Rfc2965, now), kHost, requestPath));
    require(store.cookies().size() == 2);

    const std::string firstStored = storedPath(firstPath, requestPath);
    const std::string secondStored = storedPath(secondPath, requestPath);
    require(store.cookies()[0].path == firstStored);
    require(store.cookies()[1].path == secondStored);

    const bool firstGoes = path.starts_with(firstStored);
    const bool secondGoes = path.starts_with(secondStored);
    std::string expected;
    if (firstGoes && secondGoes) {
        expected = secondStored > firstStored ? "two=2; one=1" : "one=1; two=2";
    } else if (firstGoes) {
        expected = "one=1";
    } else if (secondGoes) {
        expected = "two=2";
    }
    require(store.cookieHeader(kHost, path, now) == expected);
    return 0;
}
