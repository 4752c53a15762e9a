#pragma once

#include <string_view>

namespace cvt {

// Blanks are every byte from 0 to 32: the space and the control characters.
constexpr bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The text without blanks at either end.
constexpr std::string_view trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

} // namespace cvt
