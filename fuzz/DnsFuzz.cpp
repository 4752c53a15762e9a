// What the DNS check builds on the resolver library: the reading of NS replies, the dns_server
// setting and the name check (answers and referrals). The first byte picks the part; the rest is its input. Any bytes
// give an answer, never a crash, and a delegated answer always names printable host names.
#include "config/DnsServerSetting.h"
#include "net/dns/DnsName.h"
#include "net/dns/DnsNsReply.h"

#include <ares.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// status: what the library said of the reply (no data: a reply without answers, such as a referral).
void checkReply(int status, const std::uint8_t* data, std::size_t size) {
    const cvt::DnsAnswer answer = cvt::interpretNsReply(status, data, static_cast<int>(size));
    if (answer.delegated() != !answer.NameServers.empty() || answer.delegated() != (answer.Why == cvt::DnsMiss::None)) {
        std::abort();
    }
    for (const std::string& host : answer.NameServers) {
        for (const char c : host) {
            if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7f) {
                std::abort();
            }
        }
        if (host.empty() || host.back() == '.') {
            std::abort();
        }
    }
    if (answer.delegated() && answer.details().rfind("Delegated in DNS: ", 0) != 0) {
        std::abort();
    }
}

void checkServerSetting(std::string_view text) {
    const cvt::DnsServerSetting::Parsed parsed = cvt::DnsServerSetting::parse(text);
    if ((parsed.Server && !parsed.Error.empty()) || (parsed.Auto && (parsed.Server || !parsed.Error.empty()))) {
        std::abort();
    }
    if (parsed.Server && (parsed.Server->Port == 0 || parsed.Server->Address.empty())) {
        std::abort();
    }
}

void checkName(std::string_view name) {
    if (!cvt::dnsCanCarry(name)) {
        return;
    }
    if (name.size() > 253 || name.front() == '.' || name.back() == '.' || name.find("..") != std::string_view::npos) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
    case 0:
        checkReply(ARES_SUCCESS, data + 1, size - 1);
        checkReply(ARES_ENODATA, data + 1, size - 1);
        break;
    case 1:
        checkServerSetting(text);
        break;
    default:
        checkName(text);
        break;
    }
    return 0;
}
