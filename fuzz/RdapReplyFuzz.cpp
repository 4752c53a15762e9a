// RDAP reply handling on any bytes: the first byte picks the status, the first line is the
// Retry-After value, the rest the body. The outcome follows the status rules, never throws, and a
// wait asked for is never negative or longer than a day.
#include "net/rdap/RdapReply.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static constexpr int kStatuses[] = {200, 404, 429, 503, 500, 204, 302, 0};
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t lineEnd = input.find('\n');
    cvt::RdapReply reply;
    reply.status = kStatuses[data[0] % 8];
    reply.statusLine = "HTTP/1.1 " + std::to_string(reply.status);
    reply.retryAfter = std::string(input.substr(0, lineEnd));
    reply.body = lineEnd == std::string_view::npos ? std::string() : std::string(input.substr(lineEnd + 1));
    const auto now = std::chrono::sys_days(std::chrono::year(2026) / 1 / 1);
    const cvt::RdapOutcome outcome = cvt::rdapOutcomeOf(reply, now);
    const bool expectFree = reply.status == 404;
    if ((outcome.mark == cvt::RdapMark::Free) != expectFree) {
        __builtin_trap();
    }
    if (outcome.mark == cvt::RdapMark::Registered && reply.status != 200) {
        __builtin_trap();
    }
    if (outcome.retryAfter && (outcome.retryAfter->count() < 0 || outcome.retryAfter->count() > 86400 ||
                               (reply.status != 429 && reply.status != 503))) {
        __builtin_trap();
    }
    if (outcome.details.empty() && !reply.statusLine.empty()) {
        __builtin_trap();
    }
    return 0;
}
