// Dotted IPv4 addresses: the resolver's parser and the cookie store's test follow one rule, agree
// with a reference, and an address read back from its written form is the same address. Any address
// a host field names without a lookup (IPv6 too) reads back the same from its written form.
#include "fuzz/FuzzInput.h"
#include "net/http/HttpText.h"
#include "net/socket/NetAddress.h"

#include <arpa/inet.h>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Split at the first three dots; each part one or more digits with a value up to 255 (leading
// zeros allowed, however many).
std::optional<std::uint32_t> reference(std::string_view text) {
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = part < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view digits = text.substr(0, dot);
        if (digits.empty()) {
            return std::nullopt;
        }
        unsigned value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            value = value > 255 ? 256 : value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value > 255) {
            return std::nullopt;
        }
        address = (address << 8) | value;
        text.remove_prefix(part < 3 ? dot + 1 : dot);
    }
    return address;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using cvt::fuzz::require;
    const std::string_view text =
        size == 0 ? std::string_view() : std::string_view(reinterpret_cast<const char*>(data), size);
    const std::optional<in_addr> parsed = cvt::parseDottedIPv4(text);
    const std::optional<std::uint32_t> expected = reference(text);
    require(parsed.has_value() == expected.has_value());
    require(cvt::http::isDottedIPv4(text) == parsed.has_value());
    if (parsed) {
        require(ntohl(parsed->s_addr) == *expected);
        const std::string written = cvt::formatIPv4(*parsed);
        const std::optional<in_addr> again = cvt::parseDottedIPv4(written);
        require(again.has_value() && again->s_addr == parsed->s_addr);
        require(cvt::formatIPv4(*again) == written);
    }
    if (const auto literal = cvt::parseAddressLiteral(text, 43)) {
        require(literal->port() == 43);
        const auto again = cvt::parseAddressLiteral(cvt::formatAddress(*literal), 43);
        require(again.has_value() && *again == *literal);
    }
    return 0;
}
