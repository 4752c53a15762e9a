#include "cli/PageFetch.h"

#include "core/TextUtil.h"
#include "core/WebHarvest.h"
#include "net/TNetHTTP.h"

#include <exception>
#include <ostream>

namespace cvt::cli {

std::optional<FetchedPage> fetchPageArgument(CommandContext& context, const char* usage, int& exitCode) {
    if (context.args.size() == 1 && (context.args[0] == "--help" || context.args[0] == "-h")) {
        context.out << usage;
        exitCode = 0;
        return std::nullopt;
    }
    if (context.args.size() != 1) {
        context.err << usage;
        exitCode = 2;
        return std::nullopt;
    }
    TNetHTTP client;
    setUpHarvestClient(client);
    try {
        return FetchPageWithType(std::string(trim(context.args[0])), client);
    } catch (const std::exception& error) {
        // Only an unknown scheme fails with an empty message.
        const std::string message = error.what();
        context.err << "corvantide-cli: " << (message.empty() ? "unknown protocol" : message) << '\n';
        exitCode = 1;
        return std::nullopt;
    }
}

} // namespace cvt::cli
