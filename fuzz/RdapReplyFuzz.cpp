// RDAP reply handling on any bytes: the first byte picks the status, the first line is the
// Retry-After value, the rest the body. The outcome follows the status rules, never throws, and a
// wait asked for is never negative or longer than a day. However the body nests or repeats, the
// details stay within the limit and reading it allocates no more than a few times its size (counted
// where no sanitizer keeps the allocator).
#include "net/rdap/RdapReply.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <string>
#include <string_view>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CVT_FUZZ_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define CVT_FUZZ_SANITIZED 1
#endif
#endif

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

// Extra bytes allowed besides the multiple of the body: the small fixed allocations of a reading.
[[maybe_unused]] constexpr std::size_t kAllocationSlack = 64 * 1024;
[[maybe_unused]] constexpr std::size_t kAllocationPerBodyByte = 8;

} // namespace

#ifndef CVT_FUZZ_SANITIZED
void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t live = liveBytes.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
    std::size_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
    return block;
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* block) noexcept {
    if (block != nullptr) {
        liveBytes.fetch_sub(malloc_usable_size(block));
        std::free(block);
    }
}
void operator delete[](void* block) noexcept {
    operator delete(block);
}
void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    operator delete(block);
}
#endif

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
    const std::size_t liveBefore = liveBytes.load();
    peakBytes.store(liveBefore);
    const cvt::RdapOutcome outcome = cvt::rdapOutcomeOf(reply, now);
#ifndef CVT_FUZZ_SANITIZED
    if (peakBytes.load() - liveBefore > kAllocationPerBodyByte * reply.body.size() + kAllocationSlack) {
        __builtin_trap();
    }
#endif
    if (outcome.details.size() > cvt::kMaxRdapDetails) {
        __builtin_trap();
    }
    const bool blank = std::all_of(reply.body.begin(), reply.body.end(),
                                   [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    if (outcome.mark == cvt::RdapMark::Free &&
        (reply.status != 404 || (!blank && outcome.details == reply.statusLine))) {
        __builtin_trap();
    }
    if (outcome.mark == cvt::RdapMark::Registered && (reply.status != 200 || outcome.details == reply.statusLine)) {
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
