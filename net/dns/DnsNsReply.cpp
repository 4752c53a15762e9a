#include "net/dns/DnsNsReply.h"

#include <ares.h>
#include <netdb.h>
#include <string_view>

namespace cvt {

namespace {

// A reply can list any number of records; the details text keeps the first ones.
constexpr std::size_t kMaxNameServers = 16;

DnsMiss missOf(int status) {
    switch (status) {
    case ARES_ENOTFOUND:
        return DnsMiss::NoSuchName;
    case ARES_ENODATA:
        return DnsMiss::NoNameServers;
    case ARES_ESERVFAIL:
        return DnsMiss::ServerFailure;
    case ARES_EREFUSED:
    case ARES_ECONNREFUSED:
        return DnsMiss::Refused;
    case ARES_ETIMEOUT:
        return DnsMiss::TimedOut;
    case ARES_EBADRESP:
    case ARES_EFORMERR:
        return DnsMiss::BadReply;
    default:
        return DnsMiss::Other;
    }
}

// A host name as shown in the details: printable ASCII without blanks, trailing dot dropped.
bool cleanHostName(std::string_view raw, std::string& out) {
    if (!raw.empty() && raw.back() == '.') {
        raw.remove_suffix(1);
    }
    if (raw.empty()) {
        return false;
    }
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f) {
            return false;
        }
    }
    out.assign(raw);
    return true;
}

bool sameHost(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

DnsAnswer interpretNsReply(int status, const unsigned char* reply, int replyLength) {
    DnsAnswer answer;
    if (status != ARES_SUCCESS) {
        answer.Why = missOf(status);
        return answer;
    }
    if (reply == nullptr || replyLength <= 0) {
        answer.Why = DnsMiss::BadReply;
        return answer;
    }
    hostent* host = nullptr;
    const int parsed = ares_parse_ns_reply(reply, replyLength, &host);
    if (parsed != ARES_SUCCESS) {
        answer.Why = parsed == ARES_ENODATA ? DnsMiss::NoNameServers : DnsMiss::BadReply;
        if (host != nullptr) {
            ares_free_hostent(host);
        }
        return answer;
    }
    for (char** alias = host->h_aliases; alias != nullptr && *alias != nullptr; ++alias) {
        std::string name;
        if (answer.NameServers.size() >= kMaxNameServers || !cleanHostName(*alias, name)) {
            continue;
        }
        bool repeated = false;
        for (const std::string& known : answer.NameServers) {
            repeated = repeated || sameHost(known, name);
        }
        if (!repeated) {
            answer.NameServers.push_back(std::move(name));
        }
    }
    ares_free_hostent(host);
    if (answer.NameServers.empty()) {
        answer.Why = DnsMiss::NoNameServers;
        return answer;
    }
    answer.Verdict = DnsVerdict::Delegated;
    answer.Why = DnsMiss::None;
    return answer;
}

} // namespace cvt
