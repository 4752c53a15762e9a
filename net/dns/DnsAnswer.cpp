#include "net/dns/DnsAnswer.h"

namespace cvt {

std::string DnsAnswer::details() const {
    std::string text = "Delegated in DNS: ";
    for (std::size_t i = 0; i < NameServers.size(); ++i) {
        if (i != 0) {
            text += ", ";
        }
        text += NameServers[i];
    }
    return text;
}

} // namespace cvt
