#include "net/dns/DnsName.h"

#include <cstddef>

namespace cvt {

namespace {

constexpr std::size_t kMaxNameBytes = 253;
constexpr std::size_t kMaxLabelBytes = 63;

bool isLabelByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

} // namespace

bool dnsCanCarry(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameBytes) {
        return false;
    }
    std::size_t labelBytes = 0;
    for (const char c : name) {
        if (c == '.') {
            if (labelBytes == 0) {
                return false;
            }
            labelBytes = 0;
        } else if (!isLabelByte(c) || ++labelBytes > kMaxLabelBytes) {
            return false;
        }
    }
    return labelBytes != 0;
}

} // namespace cvt
