#include "cli/PageFetch.h"
#include "core/WebHarvest.h"

#include <optional>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

constexpr const char* kUsage = "Usage: corvantide-cli fetch URL\n"
                               "Fetches one web page with an HTTP/1.1 GET and prints its body, byte for byte.\n"
                               "Up to 5 redirects are followed (http to https, never https to http);\n"
                               "https certificates are checked against the system's trust store\n"
                               "(SSL_CERT_FILE and SSL_CERT_DIR name another).\n";

} // namespace

int runFetch(CommandContext& context) {
    int exitCode = 0;
    const std::optional<FetchedPage> page = fetchPageArgument(context, kUsage, exitCode);
    if (!page) {
        return exitCode;
    }
    context.out.write(page->body.data(), static_cast<std::streamsize>(page->body.size()));
    context.out.flush();
    return 0;
}

} // namespace cvt::cli
