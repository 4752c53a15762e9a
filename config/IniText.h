#pragma once

#include "text/Trim.h"

#include <string>
#include <string_view>

// Small text helpers of the configuration reader (it stands apart from the core library).
namespace cvt::ini {

// The text with the ASCII letters in lower case.
std::string lower(std::string_view text);

// Equality with the ASCII letters folded.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

} // namespace cvt::ini
