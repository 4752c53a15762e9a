#pragma once

#include "config/TIniOptions.h"
#include "core/query/ServerEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cvt {

// A stored line that makes no row, with the key it was read from.
struct SkippedServerLine {
    std::int32_t key;
    std::string line;
    std::string reason; // English
};

struct ServerTableData {
    std::vector<ServerEntry> entries;
    std::vector<SkippedServerLine> skipped;
    // The run's lanes, pace and back-off, with what was wrong with them.
    RunSettings run;
    std::vector<std::string> runWarnings;
    // [setting] dns and dns_server as read (run holds what they came to).
    bool dns = false;
    std::string dnsServer;
};

// Builds the rows from the accepted lines, in order, each read by ServerEntryFromFields. A line it
// refuses (fewer than two fields, a blank suffix or server, a WHOIS server written before an RDAP
// base) makes no row and is reported in skipped. An international suffix may be
// written in Unicode ("中国") or by its A-label ("xn--fiqs8s"): its caption is the Unicode form, and
// one libidn2 refuses makes no row either. The first three rows are ticked.
ServerTableData BuildServerTable(const TIniOptions& options);

// "Config.ini key 7 (cnxxxxx): fewer than two fields; the entry is left out"
std::string describeSkippedServerLine(const SkippedServerLine& skipped);

} // namespace cvt
