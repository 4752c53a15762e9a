#pragma once

#include <netinet/in.h>
#include <optional>
#include <string>
#include <string_view>

namespace cvt {

class SocketApi;

// The four numbers of a dotted IPv4 address: splitting at the first three dots gives four parts,
// each a decimal integer from 0 to 255 (so 1.2.3, 1.2.3.4.5 and 300.1.1.1 are not addresses).
std::optional<in_addr> parseDottedIPv4(std::string_view text);

// The IPv4 address of a host: "LOCALHOST" in any letter case is 127.0.0.1, a dotted address is
// taken as it stands, anything else goes to the host name lookup (first IPv4 address). Throws
// ENetSocketError with the lookup's error number (11001 "Host not found.").
in_addr resolveHost(SocketApi& api, std::string_view host);

// Four decimal numbers joined by dots.
std::string formatIPv4(in_addr address);

} // namespace cvt
