#pragma once

#include "text/Trim.h"

#include <string>
#include <string_view>

// Small byte-string helpers of the HTTP client. Letter case is folded for ASCII letters only.
namespace cvt::http {

bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix);
bool endsWithIgnoreCase(std::string_view text, std::string_view suffix);
// Case-insensitive substring test; an empty needle is found at 0.
bool containsIgnoreCase(std::string_view text, std::string_view needle);

// Four decimal parts from 0 to 255 joined by three dots: the rule of parseDottedIPv4 (NetAddress.h).
bool isDottedIPv4(std::string_view text);

// Standard Base64 with "=" padding.
std::string encodeBase64(std::string_view bytes);

} // namespace cvt::http
