#include "net/socket/NetAddress.h"

#include "net/socket/NetErrors.h"
#include "net/socket/NetExceptions.h"
#include "net/socket/SocketApi.h"
#include "text/AsciiCase.h"
#include "text/CheckedNumber.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cstdint>
#include <cstring>

namespace cvt {

namespace {

// A decimal integer from 0 to 255 written with digits only (leading zeros allowed).
std::optional<std::uint8_t> parseOctet(std::string_view part) {
    const DigitsResult octet = parseDigits(part, 255);
    return octet.ok() ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(octet.value)) : std::nullopt;
}

bool isLocalhost(std::string_view host) {
    return equalsIgnoreCase(host, "localhost");
}

in_addr fromOctets(const std::array<std::uint8_t, 4>& octets) {
    in_addr address{};
    address.s_addr = htonl((std::uint32_t{octets[0]} << 24) | (std::uint32_t{octets[1]} << 16) |
                           (std::uint32_t{octets[2]} << 8) | std::uint32_t{octets[3]});
    return address;
}

std::optional<in6_addr> parseIPv6(std::string_view text) {
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        text = text.substr(1, text.size() - 2);
    }
    // Only hex digits, colons and the dots of an embedded IPv4 part; no zone, no blanks.
    if (text.empty() || text.size() > INET6_ADDRSTRLEN || text.find(':') == std::string_view::npos ||
        text.find_first_not_of("0123456789abcdefABCDEF:.") != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string copy(text);
    in6_addr address{};
    if (::inet_pton(AF_INET6, copy.c_str(), &address) != 1) {
        return std::nullopt;
    }
    return address;
}

} // namespace

std::uint16_t NetEndpoint::port() const {
    if (family() == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_port);
    }
    return ntohs(reinterpret_cast<const sockaddr_in*>(&storage)->sin_port);
}

void NetEndpoint::setPort(std::uint16_t port) {
    if (family() == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port = htons(port);
    } else {
        reinterpret_cast<sockaddr_in*>(&storage)->sin_port = htons(port);
    }
}

bool NetEndpoint::operator==(const NetEndpoint& other) const {
    return length == other.length && std::memcmp(&storage, &other.storage, length) == 0;
}

NetEndpoint NetEndpoint::fromIPv4(in_addr address, std::uint16_t port) {
    NetEndpoint endpoint;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_addr = address;
    peer.sin_port = htons(port);
    std::memcpy(&endpoint.storage, &peer, sizeof peer);
    endpoint.length = sizeof peer;
    return endpoint;
}

NetEndpoint NetEndpoint::fromIPv6(const in6_addr& address, std::uint16_t port) {
    NetEndpoint endpoint;
    sockaddr_in6 peer{};
    peer.sin6_family = AF_INET6;
    peer.sin6_addr = address;
    peer.sin6_port = htons(port);
    std::memcpy(&endpoint.storage, &peer, sizeof peer);
    endpoint.length = sizeof peer;
    return endpoint;
}

std::optional<NetEndpoint> NetEndpoint::fromSockaddr(const sockaddr* address, socklen_t length, std::uint16_t port) {
    if (address == nullptr) {
        return std::nullopt;
    }
    if (address->sa_family == AF_INET && length >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
        return fromIPv4(reinterpret_cast<const sockaddr_in*>(address)->sin_addr, port);
    }
    if (address->sa_family == AF_INET6 && length >= static_cast<socklen_t>(sizeof(sockaddr_in6))) {
        NetEndpoint endpoint;
        std::memcpy(&endpoint.storage, address, sizeof(sockaddr_in6));
        endpoint.length = sizeof(sockaddr_in6);
        reinterpret_cast<sockaddr_in6*>(&endpoint.storage)->sin6_port = htons(port);
        return endpoint;
    }
    return std::nullopt;
}

std::optional<in_addr> parseDottedIPv4(std::string_view text) {
    std::array<std::uint8_t, 4> octets{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        // The first three parts end at a dot; the fourth is the whole rest.
        std::size_t end = text.size();
        if (i < 3) {
            end = text.find('.', start);
            if (end == std::string_view::npos) {
                return std::nullopt;
            }
        }
        const auto octet = parseOctet(text.substr(start, end - start));
        if (!octet) {
            return std::nullopt;
        }
        octets[i] = *octet;
        start = end + 1;
    }
    return fromOctets(octets);
}

std::optional<NetEndpoint> parseAddressLiteral(std::string_view host, std::uint16_t port) {
    if (isLocalhost(host)) {
        return NetEndpoint::fromIPv4(fromOctets({127, 0, 0, 1}), port);
    }
    if (const auto dotted = parseDottedIPv4(host)) {
        return NetEndpoint::fromIPv4(*dotted, port);
    }
    if (const auto v6 = parseIPv6(host)) {
        return NetEndpoint::fromIPv6(*v6, port);
    }
    return std::nullopt;
}

std::string lookupName(std::string_view host) {
    if (host.find('\0') != std::string_view::npos) {
        throw ENetSocketError(wsa::kHostNotFound);
    }
    return std::string(host);
}

std::vector<NetEndpoint> resolveHost(SocketApi& api, std::string_view host, std::uint16_t port) {
    if (auto literal = parseAddressLiteral(host, port)) {
        return {*literal};
    }
    const std::string name = lookupName(host);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    errno = 0;
    const int result = api.getaddrinfo(name.c_str(), nullptr, &hints, &list);
    const int savedErrno = errno;
    if (result != 0) {
        throw ENetSocketError(wsaErrorFromResolver(result, savedErrno));
    }
    std::vector<NetEndpoint> found;
    for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
        const auto endpoint = NetEndpoint::fromSockaddr(entry->ai_addr, entry->ai_addrlen, port);
        if (endpoint && std::find(found.begin(), found.end(), *endpoint) == found.end()) {
            found.push_back(*endpoint);
        }
    }
    if (list != nullptr) {
        api.freeaddrinfo(list);
    }
    if (found.empty()) {
        throw ENetSocketError(wsa::kHostNotFound);
    }
    return found;
}

std::string formatIPv4(in_addr address) {
    const std::uint32_t value = ntohl(address.s_addr);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (!text.empty()) {
            text += '.';
        }
        text += std::to_string((value >> shift) & 0xFFu);
    }
    return text;
}

std::string formatAddress(const NetEndpoint& endpoint) {
    if (endpoint.family() == AF_INET6) {
        char text[INET6_ADDRSTRLEN] = {};
        const auto* peer = reinterpret_cast<const sockaddr_in6*>(&endpoint.storage);
        return ::inet_ntop(AF_INET6, &peer->sin6_addr, text, sizeof text) != nullptr ? std::string(text)
                                                                                     : std::string();
    }
    return formatIPv4(reinterpret_cast<const sockaddr_in*>(&endpoint.storage)->sin_addr);
}

} // namespace cvt
