#pragma once

#include <cstdint>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <vector>

namespace cvt {

class SocketApi;

// A socket address of either family (IPv4 or IPv6), port included, as connect() takes it.
struct NetEndpoint {
    sockaddr_storage storage{};
    socklen_t length = 0;

    int family() const { return storage.ss_family; }
    const sockaddr* address() const { return reinterpret_cast<const sockaddr*>(&storage); }
    std::uint16_t port() const;
    void setPort(std::uint16_t port);
    bool operator==(const NetEndpoint& other) const;

    static NetEndpoint fromIPv4(in_addr address, std::uint16_t port);
    static NetEndpoint fromIPv6(const in6_addr& address, std::uint16_t port);
    // An IPv4 or IPv6 socket address as a lookup returns it, with the port put in; nothing for
    // another family or a short length.
    static std::optional<NetEndpoint> fromSockaddr(const sockaddr* address, socklen_t length, std::uint16_t port);
};

// The four numbers of a dotted IPv4 address: splitting at the first three dots gives four parts,
// each a decimal integer from 0 to 255 (so 1.2.3, 1.2.3.4.5 and 300.1.1.1 are not addresses).
std::optional<in_addr> parseDottedIPv4(std::string_view text);

// A host that needs no lookup: "LOCALHOST" in any letter case (127.0.0.1), a dotted IPv4 address,
// or an IPv6 address written bare or in brackets ("2001:db8::1", "[2001:db8::1]").
std::optional<NetEndpoint> parseAddressLiteral(std::string_view host, std::uint16_t port);

// The name a lookup is asked about; a name with a NUL byte in it is refused (ENetSocketError 11001),
// since the lookup would ask about it only up to that byte, i.e. about another host.
std::string lookupName(std::string_view host);

// Every address of a host, in the order the system's lookup gives them (IPv6 and IPv4), without
// repeats; a literal (see parseAddressLiteral) is taken as it stands. Throws ENetSocketError with
// the lookup's error number (11001 "Host not found.").
std::vector<NetEndpoint> resolveHost(SocketApi& api, std::string_view host, std::uint16_t port);

// Four decimal numbers joined by dots.
std::string formatIPv4(in_addr address);
// The address without its port: dotted IPv4, or IPv6 in its shortest text form.
std::string formatAddress(const NetEndpoint& endpoint);

} // namespace cvt
