#include "cli/PageFetch.h"
#include "core/WebHarvest.h"

#include <optional>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

constexpr const char* kUsage = "Usage: corvantide-cli fetch URL\n"
                               "Fetches one web page with an HTTP/1.1 GET and prints its body, byte for byte.\n"
                               "Redirects are not followed; https addresses are refused.\n";

} // namespace

int runFetch(CommandContext& context) {
    int exitCode = 0;
    const std::optional<std::string> body = fetchPageArgument(context, kUsage, exitCode);
    if (!body) {
        return exitCode;
    }
    context.out.write(body->data(), static_cast<std::streamsize>(body->size()));
    context.out.flush();
    return 0;
}

} // namespace cvt::cli
