// The server field of a server-table entry: any text selects a host and a port. "host:port" with a
// port of at most five digits from 1 to 65535 splits at the colon, "[address]:port" and "[address]"
// at the bracket; everything else (an IPv6 address written bare too) is the host as written, on
// port 43.
#include "fuzz/FuzzInput.h"
#include "net/whois/TNetWhois.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using cvt::fuzz::require;
    const std::string_view field =
        size == 0 ? std::string_view() : std::string_view(reinterpret_cast<const char*>(data), size);

    // The rule written out independently: five digits cannot overflow an int. What follows a host
    // is nothing (port 43) or ":port"; 0 stands for neither.
    const auto portAfter = [](std::string_view rest) {
        if (rest.empty()) {
            return 43;
        }
        const std::string_view digits = rest.substr(1);
        bool allDigits = rest[0] == ':' && !digits.empty() && digits.size() <= 5;
        int value = 0;
        for (std::size_t i = 0; allDigits && i < digits.size(); ++i) {
            allDigits = digits[i] >= '0' && digits[i] <= '9';
            value = value * 10 + (digits[i] - '0');
        }
        return allDigits && value >= 1 && value <= 65535 ? value : 0;
    };
    std::string host(field);
    int port = 43;
    const std::size_t close = field.find(']');
    const std::size_t colon = field.rfind(':');
    if (!field.empty() && field[0] == '[' && close != std::string_view::npos &&
        portAfter(field.substr(close + 1)) != 0) {
        // "[address]" or "[address]:port"
        host = std::string(field.substr(1, close - 1));
        port = portAfter(field.substr(close + 1));
    } else if (colon != std::string_view::npos && field.find(':') == colon && portAfter(field.substr(colon)) != 0) {
        // One colon: "host:port". More are an IPv6 address written bare.
        host = std::string(field.substr(0, colon));
        port = portAfter(field.substr(colon));
    }

    static cvt::TNetWhois whois;
    whois.SetServer(field);
    require(whois.Host() == host);
    require(whois.Port() == port);
    return 0;
}
