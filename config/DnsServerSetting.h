#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cvt {

// The DNS server named by "[setting] dns_server=HOST[:PORT]": an IPv4 address ("192.0.2.1",
// "192.0.2.1:5353") or an IPv6 one ("2001:db8::1", "[2001:db8::1]", "[2001:db8::1]:5353"); the port
// is 53 unless given. Host names are refused: the resolver library takes addresses only. "auto" (any
// letter case) asks each suffix's own name servers instead.
struct DnsServerSetting {
    std::string Address; // the address literal, without brackets
    std::uint16_t Port = 53;

    struct Parsed;
    // Reads the setting's text (blanks at either end ignored). Empty text gives no server and no
    // error (the system's resolvers are used), "auto" gives Auto; a bad value gives no server and
    // Error says why, in a sentence that names the value.
    static Parsed parse(std::string_view text);
};

struct DnsServerSetting::Parsed {
    std::optional<DnsServerSetting> Server;
    bool Auto = false; // ask the suffixes' own name servers
    std::string Error;
};

} // namespace cvt
