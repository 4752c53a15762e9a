// Reply classification over arbitrary bytes: the mark is always one of the three verdicts and agrees
// with the order of the tests (an empty reply, failure text, refusal, no-match mark as written or in GBK, quota
// phrases). Input: one byte giving the no-match mark's length, one giving the refusal's, then the
// mark, the refusal and the reply.
#include "core/chinese/GbkCodec.h"
#include "core/query/QuotaPhrases.h"
#include "core/query/ResultMarks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool contains(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool holdsQuotaPhrase(std::string_view reply) {
    return std::any_of(cvt::kQuotaPhrases.begin(), cvt::kQuotaPhrases.end(), [&](std::string_view phrase) {
        return std::search(reply.begin(), reply.end(), phrase.begin(), phrase.end(),
                           [](char a, char b) { return lower(a) == lower(b); }) != reply.end();
    });
}

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t markLength = std::min<std::size_t>(data[0] % 32, rest.size());
    const std::string_view mark = rest.substr(0, markLength);
    rest.remove_prefix(markLength);
    const std::size_t refusalLength = std::min<std::size_t>(data[1] % 32, rest.size());
    const std::string_view refusal = rest.substr(0, refusalLength);
    const std::string_view reply = rest.substr(refusalLength);

    const cvt::Mark verdict = cvt::classifyReply(reply, mark, refusal);
    require(cvt::needsRequery(verdict) == (verdict == cvt::Mark::Failed));
    if (reply.empty() || contains(reply, cvt::kFailureText) || contains(reply, refusal)) {
        require(verdict == cvt::Mark::Failed);
        return 0;
    }
    // The mark as written always counts; besides it only its GBK form may.
    bool free = contains(reply, mark);
    if (!free && verdict == cvt::Mark::Free) {
        const bool beyondAscii =
            std::any_of(mark.begin(), mark.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        require(beyondAscii && contains(reply, cvt::gbk::utf8ToGbk(mark)));
        free = true;
    }
    if (free) {
        require(verdict == cvt::Mark::Free);
    } else if (refusal.empty() && holdsQuotaPhrase(reply)) {
        require(verdict == cvt::Mark::Failed);
    } else {
        require(verdict == cvt::Mark::Registered);
    }
    return 0;
}
