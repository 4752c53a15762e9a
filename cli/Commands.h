#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cvt::cli {

// Arguments after the command name, and the two output streams.
struct CommandContext {
    std::vector<std::string> args;
    std::ostream& out;
    std::ostream& err;
};

// Each command lives in a file of its own and returns the process exit code.
int runExpand(CommandContext& context);
int runServers(CommandContext& context);
int runCheck(CommandContext& context);
int runWords(CommandContext& context);
int runPinyin(CommandContext& context);
int runWhois(CommandContext& context);
int runFetch(CommandContext& context);
int runHarvest(CommandContext& context);

} // namespace cvt::cli
