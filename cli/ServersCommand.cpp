#include "cli/Commands.h"
#include "cli/ServerTableLoading.h"
#include "config/ConfigPath.h"

#include <filesystem>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

constexpr const char* kUsage =
    "Usage: corvantide-cli servers [--config FILE]\n"
    "Print the WHOIS server table as the program builds it from Config.ini, one entry per line:\n"
    "tick (x for the entries ticked at start, else a blank), suffix, server, no-match mark, TAB-separated.\n"
    "  --config FILE  read FILE instead of the Config.ini in use (the one beside the program when its\n"
    "                 folder is writable, else ~/.config/corvantide/Config.ini), which is named on\n"
    "                 standard error\n";

} // namespace

int runServers(CommandContext& context) {
    std::filesystem::path configPath;
    bool configGiven = false;
    const auto& args = context.args;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            context.out << kUsage;
            return 0;
        }
        if (arg == "--config" && i + 1 == args.size()) {
            context.err << "corvantide-cli servers: --config needs a FILE\n" << kUsage;
            return 2;
        }
        if (arg == "--config" && !configGiven) {
            configPath = args[++i];
            configGiven = true;
        } else if (arg.rfind("--config=", 0) == 0 && !configGiven) {
            configPath = arg.substr(9);
            configGiven = true;
        } else {
            context.err << "corvantide-cli servers: unexpected argument '" << arg << "'\n" << kUsage;
            return 2;
        }
    }
    if (!configGiven) {
        configPath = ConfigPath();
        context.err << "corvantide-cli servers: settings from " << configPath.string() << '\n';
    }
    std::error_code error;
    if (!std::filesystem::exists(configPath, error)) {
        context.err << "corvantide-cli servers: no configuration file at " << configPath.string() << '\n';
        return 1;
    }

    const ServerTableData table = loadServerTable(configPath, "servers", context.err);
    for (const ServerEntry& entry : table.entries) {
        context.out << (entry.ticked ? 'x' : ' ') << '\t' << entry.caption << '\t' << entry.host << '\t' << entry.mark
                    << '\n';
    }
    context.out.flush();
    if (!context.out) {
        context.err << "corvantide-cli servers: cannot write the table\n";
        return 1;
    }
    return 0;
}

} // namespace cvt::cli
