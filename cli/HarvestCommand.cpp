#include "cli/PageFetch.h"
#include "core/WebHarvest.h"

#include <optional>
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
    int exitCode = 0;
    const std::optional<std::string> body = fetchPageArgument(context, kUsage, exitCode);
    if (!body) {
        return exitCode;
    }
    for (const std::string_view word : ExtractWordList(*body)) {
        context.out << word << '\n';
    }
    context.out.flush();
    return 0;
}

} // namespace cvt::cli
