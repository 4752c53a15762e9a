#pragma once

#include "text/AsciiCase.h"
#include "text/Trim.h"

#include <string>
#include <string_view>

// Small byte-string helpers of the HTTP client (letter case: text/AsciiCase.h).
namespace cvt::http {

// Four decimal parts from 0 to 255 joined by three dots: the rule of parseDottedIPv4 (NetAddress.h).
bool isDottedIPv4(std::string_view text);

// Standard Base64 with "=" padding.
std::string encodeBase64(std::string_view bytes);

} // namespace cvt::http
