#include "cli/Commands.h"
#include "core/TextUtil.h"
#include "core/WebHarvest.h"
#include "net/TNetHTTP.h"

#include <exception>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

constexpr const char* kUsage = "Usage: corvantide-cli fetch URL\n"
                               "Fetches one web page with an HTTP/1.1 GET and prints its body, byte for byte.\n"
                               "Redirects are not followed; https addresses are refused.\n";

} // namespace

int runFetch(CommandContext& context) {
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
    context.out.write(body.data(), static_cast<std::streamsize>(body.size()));
    context.out.flush();
    return 0;
}

} // namespace cvt::cli
