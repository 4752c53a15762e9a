#pragma once

#include "text/TextUtil.h"

#include <string>
#include <string_view>

namespace cvt {

// One row of the WHOIS server table as the query engine sees it.
struct ServerEntry {
    std::string caption; // the suffix without its leading dot, e.g. "com"
    std::string host;    // "host" (port 43), "host:port", or an RDAP base address ("https://...")
    std::string mark;    // the no-match mark: a reply holding it means the name is free (none for RDAP)
    std::string refusal; // optional: the text the server sends when it refuses a query for quota reasons
    bool ticked = false; // ticked entries take part in a run
};

// Whether a server field names an RDAP base address (it starts with "https://" or "http://", in
// any letter case) rather than a WHOIS host.
inline bool isRdapServerField(std::string_view server) {
    return startsWithIgnoreCase(server, "https://") || startsWithIgnoreCase(server, "http://");
}

} // namespace cvt
