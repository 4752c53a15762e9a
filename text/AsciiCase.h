#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The one place that folds letter case. Only the ASCII letters A-Z fold; every other byte, UTF-8
// included, stands for itself, whatever the C locale.
namespace cvt {

constexpr char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text with the ASCII letters in lower case.
std::string toAsciiLower(std::string_view text);

// Byte-wise comparison with the ASCII letters folded: < 0, 0 or > 0.
int compareIgnoreCase(std::string_view a, std::string_view b);

bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix);
bool endsWithIgnoreCase(std::string_view text, std::string_view suffix);

// The first place at or after from where needle stands, letter case ignored; npos when nowhere.
// An empty needle is found at from (when from is inside the text or at its end).
std::size_t findIgnoreCase(std::string_view text, std::string_view needle, std::size_t from = 0);

// findIgnoreCase found it; an empty needle is found.
inline bool containsIgnoreCase(std::string_view text, std::string_view needle) {
    return findIgnoreCase(text, needle) != std::string_view::npos;
}

} // namespace cvt
