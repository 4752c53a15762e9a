#include "cli/Commands.h"
#include "core/TextUtil.h"
#include "core/WebHarvest.h"
#include "net/TNetHTTP.h"

#include <exception>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

constexpr const char* kUsage =
    "Usage: corvantide-cli harvest URL\n"
    "Fetches one web page and prints the distinct words of its source, one per line, sorted without\n"
    "regard to letter case. A word is a run of the letters A-Z and a-z, the digits and \"_\"; markup\n"
    "is not skipped, and nothing after a NUL byte is read.\n";

} // namespace

int runHarvest(CommandContext& context) {
    if (context.args.size() == 1 && (context.args[0] == "--help" || context.args[0] == "-h")) {
        context.out << kUsage;
        return 0;
    }
    if (context.args.size() != 1) {
        context.err << kUsage;
        return 2;
    }
    TNetHTTP client;
    setUpHarvestClient(client);
    std::string body;
    try {
        body = FetchPage(std::string(trimBlanks(context.args[0])), client);
    } catch (const std::exception& error) {
        // Only an unknown scheme fails with an empty message.
        const std::string message = error.what();
        context.err << "corvantide-cli: " << (message.empty() ? "unknown protocol" : message) << '\n';
        return 1;
    }
    for (const std::string_view word : ExtractWordList(body)) {
        context.out << word << '\n';
    }
    context.out.flush();
    return 0;
}

} // namespace cvt::cli
