#include "core/query/FallbackFailure.h"

namespace cvt {

namespace {

constexpr std::string_view kRdapPrefix = "RDAP: ";
constexpr std::string_view kWhoisSeparator = "; WHOIS: ";

} // namespace

std::string FallbackFailure::text() const {
    return std::string(kRdapPrefix) + rdap + std::string(kWhoisSeparator) + whois;
}

std::optional<FallbackFailure> FallbackFailure::split(std::string_view text) {
    if (!text.starts_with(kRdapPrefix)) {
        return std::nullopt;
    }
    // The WHOIS reason is the last part: an RDAP reason holding the separator stays whole.
    const std::size_t separator = text.rfind(kWhoisSeparator);
    if (separator == std::string_view::npos || separator < kRdapPrefix.size()) {
        return std::nullopt;
    }
    return FallbackFailure{std::string(text.substr(kRdapPrefix.size(), separator - kRdapPrefix.size())),
                           std::string(text.substr(separator + kWhoisSeparator.size()))};
}

} // namespace cvt
