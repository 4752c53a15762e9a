#include "net/dns/DnsNsReply.h"

#include "text/AsciiCase.h"

#include <ares.h>
#include <string>
#include <string_view>
#include <vector>

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

// A host name as shown in the details: printable ASCII without blanks, trailing dots dropped (a
// name of dots alone is the root, no name server).
bool cleanHostName(std::string_view raw, std::string& out) {
    while (!raw.empty() && raw.back() == '.') {
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
    return equalsIgnoreCase(a, b);
}

constexpr int kHeaderBytes = 12;
constexpr int kRecordFixedBytes = 10; // type, class, TTL, data length
constexpr unsigned kTypeNs = 2;
constexpr unsigned kClassIn = 1;

unsigned read16(const unsigned char* at) {
    return (static_cast<unsigned>(at[0]) << 8) | at[1];
}

// A domain name at offset `at` of the reply (compression followed by the library); sets `used` to
// its length at that place. False when it does not parse.
bool expandName(const unsigned char* reply, int replyLength, int at, std::string& out, long& used) {
    if (at < 0 || at >= replyLength) {
        return false;
    }
    char* name = nullptr;
    if (ares_expand_name(reply + at, reply, replyLength, &name, &used) != ARES_SUCCESS) {
        return false;
    }
    out = name;
    ares_free_string(name);
    return used > 0 && at + used <= replyLength;
}

struct NsScan {
    bool wellFormed = false;
    std::vector<std::string> hosts; // NS targets owned by the question's name, in answer order
};

// Walks the answer and the authority section; only NS records whose owner is the asked name count,
// so a reply that hands back some other zone's name servers (the suffix's own, say) settles nothing.
// The authority section holds them when the server asked is the suffix's own: it answers with a
// referral to the name's servers, whether or not those answer (a lame delegation is still one).
NsScan scanAnswers(const unsigned char* reply, int replyLength) {
    NsScan scan;
    if (replyLength < kHeaderBytes || read16(reply + 4) != 1) {
        return scan;
    }
    const unsigned recordCount = read16(reply + 6) + read16(reply + 8);
    int at = kHeaderBytes;
    std::string asked;
    long used = 0;
    if (!expandName(reply, replyLength, at, asked, used) || at + used + 4 > replyLength) {
        return scan;
    }
    at += static_cast<int>(used) + 4;
    for (unsigned i = 0; i < recordCount; ++i) {
        std::string owner;
        if (!expandName(reply, replyLength, at, owner, used) || at + used + kRecordFixedBytes > replyLength) {
            return scan;
        }
        at += static_cast<int>(used);
        const unsigned type = read16(reply + at);
        const unsigned klass = read16(reply + at + 2);
        const int dataLength = static_cast<int>(read16(reply + at + 8));
        at += kRecordFixedBytes;
        if (at + dataLength > replyLength) {
            return scan;
        }
        if (type == kTypeNs && klass == kClassIn && sameHost(owner, asked)) {
            std::string host;
            if (!expandName(reply, replyLength, at, host, used) || used > dataLength) {
                return scan;
            }
            scan.hosts.push_back(std::move(host));
        }
        at += dataLength;
    }
    scan.wellFormed = true;
    return scan;
}

} // namespace

DnsAnswer interpretNsReply(int status, const unsigned char* reply, int replyLength) {
    DnsAnswer answer;
    // A referral has no answer records, which the library reports as "no data", with the reply
    // (NOERROR: its response code is 0).
    const bool referral =
        status == ARES_ENODATA && reply != nullptr && replyLength >= kHeaderBytes && (reply[3] & 0x0f) == 0;
    if (status != ARES_SUCCESS && !referral) {
        answer.Why = missOf(status);
        return answer;
    }
    if (reply == nullptr || replyLength <= 0) {
        answer.Why = DnsMiss::BadReply;
        return answer;
    }
    const NsScan scan = scanAnswers(reply, replyLength);
    if (!scan.wellFormed) {
        answer.Why = DnsMiss::BadReply;
        return answer;
    }
    for (const std::string& raw : scan.hosts) {
        std::string name;
        if (answer.NameServers.size() >= kMaxNameServers || !cleanHostName(raw, name)) {
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
    if (answer.NameServers.empty()) {
        answer.Why = DnsMiss::NoNameServers;
        return answer;
    }
    answer.Verdict = DnsVerdict::Delegated;
    answer.Why = DnsMiss::None;
    return answer;
}

} // namespace cvt
