#include "config/DnsServerSetting.h"

#include "text/AsciiCase.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace cvt {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A decimal port from 1 to 65535, digits only; nullopt otherwise.
std::optional<std::uint16_t> portNumber(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        if (value > 65535) {
            return std::nullopt;
        }
    }
    if (value == 0) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

bool isAddress(const std::string& text, int family) {
    in6_addr buffer{};
    return inet_pton(family, text.c_str(), &buffer) == 1;
}

DnsServerSetting::Parsed failure(std::string_view value, std::string_view why) {
    return {std::nullopt, false, "dns_server \"" + std::string(value) + "\": " + std::string(why)};
}

constexpr std::string_view kNotAddress = "the server must be an IPv4 or IPv6 address with an optional port, as in "
                                         "192.0.2.1, 192.0.2.1:5353 or [2001:db8::1]:5353 (host names are not "
                                         "looked up)";
constexpr std::string_view kBadPort = "the port must be a number from 1 to 65535";

} // namespace

DnsServerSetting::Parsed DnsServerSetting::parse(std::string_view text) {
    const std::string_view value = trimmed(text);
    if (value.empty()) {
        return {};
    }
    if (equalsIgnoreCase(value, "auto")) {
        return {std::nullopt, true, {}};
    }
    std::string_view host = value;
    std::optional<std::string_view> port;
    int family = AF_INET;
    if (value.front() == '[') {
        const std::size_t close = value.find(']');
        if (close == std::string_view::npos) {
            return failure(value, kNotAddress);
        }
        host = value.substr(1, close - 1);
        const std::string_view rest = value.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return failure(value, kNotAddress);
            }
            port = rest.substr(1);
        }
        family = AF_INET6;
    } else if (const std::size_t colon = value.find(':'); colon != std::string_view::npos) {
        if (value.find(':', colon + 1) != std::string_view::npos) {
            family = AF_INET6; // a bare IPv6 address: no port without brackets
        } else {
            host = value.substr(0, colon);
            port = value.substr(colon + 1);
        }
    }
    DnsServerSetting server;
    server.Address.assign(host);
    if (!isAddress(server.Address, family)) {
        return failure(value, kNotAddress);
    }
    if (port) {
        const std::optional<std::uint16_t> number = portNumber(*port);
        if (!number) {
            return failure(value, kBadPort);
        }
        server.Port = *number;
    }
    return {server, false, {}};
}

} // namespace cvt
