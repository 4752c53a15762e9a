// Reply classification over arbitrary bytes: the mark is always one of the three verdicts and agrees
// with the order of the tests. Input: one byte giving the no-match mark's length, one giving the
// refusal's, then the mark, the refusal and the reply.
#include "core/ResultMarks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool contains(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
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

    const std::string_view verdict = cvt::classifyReply(reply, mark, refusal);
    const bool failed = contains(reply, cvt::kFailureText) || contains(reply, refusal);
    if (failed) {
        require(verdict == cvt::kMarkFailed);
    } else if (contains(reply, mark)) {
        require(verdict == cvt::kMarkFree);
    } else {
        require(verdict == cvt::kMarkRegistered);
    }
    require(cvt::needsRequery(verdict) == failed);
    return 0;
}
