#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cvt {

// The reason of a cell asked over RDAP and then over the WHOIS server behind it when both failed,
// written "RDAP: <reason>; WHOIS: <reason>" so the table and the journal keep one text.
struct FallbackFailure {
    std::string rdap;
    std::string whois;

    std::string text() const;
    // The two reasons of such a text; nothing when the text is not one.
    static std::optional<FallbackFailure> split(std::string_view text);
};

} // namespace cvt
