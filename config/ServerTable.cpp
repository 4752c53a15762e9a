#include "config/ServerTable.h"

#include "config/IniText.h"
#include "config/ServerEntryLine.h"

namespace cvt {

namespace {

constexpr std::size_t kTickedAtStart = 3;

} // namespace

ServerTableData BuildServerTable(const TIniOptions& options) {
    ServerTableData table;
    table.run = options.Run;
    table.runWarnings = options.RunWarnings;
    table.dns = options.Dns;
    table.dnsServer = options.DnsServer;
    for (std::size_t i = 0; i < options.WhoisLines.size(); ++i) {
        const std::string& line = options.WhoisLines[i];
        const std::int32_t key = i < options.WhoisKeys.size() ? options.WhoisKeys[i] : static_cast<std::int32_t>(i + 1);
        const std::vector<std::string> fields = SplitServerLine(line);
        // An RDAP entry (suffix+https://base/) needs no no-match mark: the status code tells.
        const bool rdap = fields.size() == 2 && lookupKindOf(fields[1]) == LookupKind::Rdap;
        if (fields.size() < 3 && !rdap) {
            table.skipped.push_back({key, line, "fewer than three fields"});
            continue;
        }
        ServerEntry entry{std::string(trim(fields[0])), std::string(trim(fields[1])),
                          fields.size() > 2 ? fields[2] : std::string(), fields.size() > 3 ? fields[3] : std::string(),
                          false};
        if (entry.caption.empty() || entry.host.empty()) {
            table.skipped.push_back({key, line, "blank suffix or server"});
            continue;
        }
        entry.ticked = table.entries.size() < kTickedAtStart;
        table.entries.push_back(std::move(entry));
    }
    return table;
}

std::string describeSkippedServerLine(const SkippedServerLine& skipped) {
    return "Config.ini key " + std::to_string(skipped.key) + " (" + skipped.line + "): " + skipped.reason +
           "; the entry is left out";
}

} // namespace cvt
