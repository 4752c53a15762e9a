#include "core/query/QuotaPhrases.h"

#include "core/TextUtil.h"

#include <algorithm>

namespace cvt {

namespace {

std::size_t findIgnoreCase(std::string_view haystack, std::string_view needle) {
    const auto found = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                                   [](char a, char b) { return asciiLower(a) == asciiLower(b); });
    return found == haystack.end() ? std::string_view::npos : static_cast<std::size_t>(found - haystack.begin());
}

} // namespace

std::string_view findQuotaLine(std::string_view reply) {
    for (const std::string_view phrase : kQuotaPhrases) {
        const std::size_t at = findIgnoreCase(reply, phrase);
        if (at == std::string_view::npos) {
            continue;
        }
        const std::size_t lineStart = reply.rfind('\n', at);
        const std::size_t begin = lineStart == std::string_view::npos ? 0 : lineStart + 1;
        const std::size_t end = std::min(reply.find('\n', at), reply.size());
        return trim(reply.substr(begin, end - begin));
    }
    return {};
}

} // namespace cvt
