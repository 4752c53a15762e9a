#pragma once

#include <string_view>

namespace cvt {

// Whether DNS can carry the name as a question: labels of 1 to 63 bytes of ASCII letters, digits
// and "-", separated by single dots, at most 253 bytes in all (no leading or trailing dot). Other
// names are never asked of DNS; they go straight to the registry.
bool dnsCanCarry(std::string_view name);

} // namespace cvt
