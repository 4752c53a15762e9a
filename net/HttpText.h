#pragma once

#include "text/Trim.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Small byte-string helpers of the HTTP client. Letter case is folded for ASCII letters only.
namespace cvt::http {

bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix);
bool endsWithIgnoreCase(std::string_view text, std::string_view suffix);
// Case-insensitive substring test; an empty needle is found at 0.
bool containsIgnoreCase(std::string_view text, std::string_view needle);

// A decimal integer: an optional sign followed by one or more digits, nothing else. Empty when the
// text is not one or does not fit.
std::optional<std::int64_t> parseDecimal(std::string_view text);

// A hexadecimal number of one or more hex digits, nothing else, at most `limit`. Values above the
// limit (overflowing ones included) give limit + 1, so callers can tell "too large" from "not a
// number" (empty).
std::optional<std::uint64_t> parseHexLimited(std::string_view text, std::uint64_t limit);

// Four decimal parts from 0 to 255 joined by three dots.
bool isDottedIPv4(std::string_view text);

// Standard Base64 with "=" padding.
std::string encodeBase64(std::string_view bytes);

} // namespace cvt::http
