#include "core/query/QuotaPhrases.h"

#include "text/TextUtil.h"

#include <algorithm>

namespace cvt {

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
