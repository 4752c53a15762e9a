#pragma once

#include "text/AsciiCase.h"
#include "text/Trim.h"

#include <string>
#include <string_view>

namespace cvt {

// True when the text holds a control character (a byte below 0x20, or 0x7F): such a name would put
// line breaks or other controls into a query line, so it never reaches a server.
bool hasControlCharacter(std::string_view text);

// Case-sensitive substring test; an empty needle is never contained.
inline bool containsText(std::string_view haystack, std::string_view needle) {
    return !needle.empty() && haystack.find(needle) != std::string_view::npos;
}

} // namespace cvt
