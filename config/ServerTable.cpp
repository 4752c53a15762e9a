#include "config/ServerTable.h"

#include "config/ServerEntryLine.h"
#include "text/AsciiCase.h"
#include "text/Trim.h"

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
        std::string reason;
        std::optional<ServerEntry> entry = ServerEntryFromFields(SplitServerLine(line), reason);
        if (!entry) {
            table.skipped.push_back({key, line, std::move(reason)});
            continue;
        }
        entry->ticked = table.entries.size() < kTickedAtStart;
        table.entries.push_back(std::move(*entry));
    }
    return table;
}

std::string describeSkippedServerLine(const SkippedServerLine& skipped) {
    return "Config.ini key " + std::to_string(skipped.key) + " (" + skipped.line + "): " + skipped.reason +
           "; the entry is left out";
}

} // namespace cvt
