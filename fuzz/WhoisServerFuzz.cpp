// The server field of a server-table entry: any text selects a host and a port. "host:port" with a
// port of at most five digits from 1 to 65535 splits at the last colon; everything else is the host
// as written, on port 43.
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

    // The rule written out independently: five digits cannot overflow an int.
    std::string host(field);
    int port = 43;
    if (const std::size_t colon = field.rfind(':'); colon != std::string_view::npos) {
        const std::string_view digits = field.substr(colon + 1);
        bool allDigits = !digits.empty() && digits.size() <= 5;
        int value = 0;
        for (std::size_t i = 0; allDigits && i < digits.size(); ++i) {
            allDigits = digits[i] >= '0' && digits[i] <= '9';
            value = value * 10 + (digits[i] - '0');
        }
        if (allDigits && value >= 1 && value <= 65535) {
            host = std::string(field.substr(0, colon));
            port = value;
        }
    }

    static cvt::TNetWhois whois;
    whois.SetServer(field);
    require(whois.Host() == host);
    require(whois.Port() == port);
    return 0;
}
