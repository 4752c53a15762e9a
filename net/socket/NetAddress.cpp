#include "net/socket/NetAddress.h"

#include "net/socket/NetErrors.h"
#include "net/socket/NetExceptions.h"
#include "net/socket/SocketApi.h"
#include "text/CheckedNumber.h"

#include <arpa/inet.h>
#include <array>
#include <cstdint>

namespace cvt {

namespace {

// A decimal integer from 0 to 255 written with digits only (leading zeros allowed).
std::optional<std::uint8_t> parseOctet(std::string_view part) {
    const DigitsResult octet = parseDigits(part, 255);
    return octet.ok() ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(octet.value)) : std::nullopt;
}

bool isLocalhost(std::string_view host) {
    constexpr std::string_view kLocalhost = "localhost";
    if (host.size() != kLocalhost.size()) {
        return false;
    }
    for (std::size_t i = 0; i < host.size(); ++i) {
        char c = host[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != kLocalhost[i]) {
            return false;
        }
    }
    return true;
}

in_addr fromOctets(const std::array<std::uint8_t, 4>& octets) {
    in_addr address{};
    address.s_addr = htonl((std::uint32_t{octets[0]} << 24) | (std::uint32_t{octets[1]} << 16) |
                           (std::uint32_t{octets[2]} << 8) | std::uint32_t{octets[3]});
    return address;
}

} // namespace

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

in_addr resolveHost(SocketApi& api, std::string_view host) {
    if (isLocalhost(host)) {
        return fromOctets({127, 0, 0, 1});
    }
    if (const auto dotted = parseDottedIPv4(host)) {
        return *dotted;
    }
    // The lookup takes a C string: a name with a NUL byte in it would be asked about only up to
    // that byte, i.e. about another host.
    if (host.find('\0') != std::string_view::npos) {
        throw ENetSocketError(wsa::kHostNotFound);
    }
    const std::string name(host);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    errno = 0;
    const int result = api.getaddrinfo(name.c_str(), nullptr, &hints, &list);
    const int savedErrno = errno;
    if (result != 0) {
        throw ENetSocketError(wsaErrorFromResolver(result, savedErrno));
    }
    std::optional<in_addr> found;
    for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr &&
            entry->ai_addrlen >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
            found = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
            break;
        }
    }
    if (list != nullptr) {
        api.freeaddrinfo(list);
    }
    if (!found) {
        throw ENetSocketError(wsa::kHostNotFound);
    }
    return *found;
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

} // namespace cvt
