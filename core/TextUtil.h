#pragma once

#include "text/Trim.h"

#include <string>
#include <string_view>

namespace cvt {

// True when the text holds a control character (a byte below 0x20, or 0x7F): such a name would put
// line breaks or other controls into a query line, so it never reaches a server.
bool hasControlCharacter(std::string_view text);

constexpr char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Byte-wise comparison with the ASCII letters folded to lower case: < 0, 0 or > 0.
int compareIgnoreCase(std::string_view a, std::string_view b);

inline bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareIgnoreCase(a, b) == 0;
}

// Case-sensitive substring test; an empty needle is never contained.
inline bool containsText(std::string_view haystack, std::string_view needle) {
    return !needle.empty() && haystack.find(needle) != std::string_view::npos;
}

} // namespace cvt
