#pragma once

#include "text/TextUtil.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// How the cells of a server entry are asked.
enum class LookupKind : std::uint8_t {
    Whois, // the server field is a WHOIS host: "host" (port 43) or "host:port"
    Rdap,  // the server field is an RDAP base address: it starts with https:// or http://
    // An RDAP base with a WHOIS server behind it (whoisHost, mark): an RDAP lookup that brings no
    // answer (a TLS or network failure, a 5xx) is asked again over WHOIS.
    RdapThenWhois,
};

// The kind a server field names: RDAP when, blanks trimmed, it starts with "https://" or "http://"
// in any letter case; WHOIS otherwise.
inline LookupKind lookupKindOf(std::string_view serverField) {
    const std::string_view field = trim(serverField);
    return startsWithIgnoreCase(field, "https://") || startsWithIgnoreCase(field, "http://") ? LookupKind::Rdap
                                                                                             : LookupKind::Whois;
}

// One row of the WHOIS server table as the query engine sees it.
struct ServerEntry {
    std::string caption; // the suffix without its leading dot, e.g. "com"
    std::string host;    // "host" (port 43), "host:port", or an RDAP base address ("https://...")
    // The no-match mark: a reply holding it means the name is free (none for RDAP). A WHOIS entry
    // without one is asked with the text calibrated for its server.
    std::string mark;
    std::string refusal; // optional: the text the server sends when it refuses a query for quota reasons
    bool ticked = false; // ticked entries take part in a run
    // How its cells are asked: read from the server field once, when the entry is made.
    LookupKind kind = lookupKindOf(host);
    // RdapThenWhois: the WHOIS server ("host" or "host:port") asked when RDAP brings no answer.
    std::string whoisHost = {};
    // The host names of the suffix's own name servers, from the catalogue; none when it does not
    // know the suffix.
    std::vector<std::string> nameServers = {};
};

} // namespace cvt
