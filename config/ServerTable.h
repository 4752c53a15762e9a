#pragma once

#include "config/TIniOptions.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cvt {

// One row of the WHOIS server table. caption: the suffix without its leading dot; host: the WHOIS
// server, "host" or "host:port", or an RDAP base address ("https://..." or "http://..."); mark: text whose presence in
// a reply means the name is free; refusal: the optional text the server sends when it refuses a query for quota reasons
// (empty when not given); ticked: whether the suffix takes part in a run.
struct ServerTableEntry {
    std::string caption, host, mark, refusal;
    bool ticked;
};

// A stored line that makes no row, with the key it was read from.
struct SkippedServerLine {
    std::int32_t key;
    std::string line;
    std::string reason; // English
};

struct ServerTableData {
    std::vector<ServerTableEntry> entries;
    std::vector<SkippedServerLine> skipped;
};

// Builds the rows from the accepted lines, in order. Captions and hosts are trimmed, marks and
// refusal texts kept as they are; fields after the fourth are ignored. A line with fewer than three
// fields (other than an RDAP entry, suffix+https://base/, whose mark is then empty), or whose
// suffix or host is blank, makes no row and is reported in skipped. The first
// three rows are ticked.
ServerTableData BuildServerTable(const TIniOptions& options);

// "Config.ini key 7 (cn+whois.cnnic.cn): fewer than three fields; the entry is left out"
std::string describeSkippedServerLine(const SkippedServerLine& skipped);

} // namespace cvt
