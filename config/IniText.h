#pragma once

#include <string>
#include <string_view>

// Small text helpers of the configuration reader (it stands apart from the core library).
namespace cvt::ini {

constexpr bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The text without bytes 0 to 32 at either end.
std::string_view trim(std::string_view text);

// The text with the ASCII letters in lower case.
std::string lower(std::string_view text);

// Equality with the ASCII letters folded.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

} // namespace cvt::ini
