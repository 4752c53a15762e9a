#include "cli/PageFetch.h"
#include "core/WebHarvest.h"

#include <optional>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

constexpr const char* kUsage =
    "Usage: corvantide-cli harvest [--raw | --chinese] URL\n"
    "Fetches one web page and prints the distinct words of its visible text, one per line, sorted\n"
    "without regard to letter case. A word is a run of the letters A-Z and a-z, the digits and \"_\".\n"
    "The page is read in its declared character set (Content-Type, then <meta charset>, else UTF-8);\n"
    "comments, scripts, styles, noscript and template content and tags are left out and character\n"
    "references decoded.\n\n"
    "  --raw      take the words from the page source as it is: markup is not skipped, and nothing\n"
    "             after a NUL byte is read\n"
    "  --chinese  print the runs of Chinese (Han) characters of the visible text instead, one per\n"
    "             line, each once, in UTF-8\n";

} // namespace

int runHarvest(CommandContext& context) {
    bool raw = false;
    bool chinese = false;
    std::vector<std::string> rest;
    for (const std::string& arg : context.args) {
        if (arg == "--raw") {
            raw = true;
        } else if (arg == "--chinese") {
            chinese = true;
        } else {
            rest.push_back(arg);
        }
    }
    if (raw && chinese) {
        context.err << "corvantide-cli harvest: --raw and --chinese exclude each other\n" << kUsage;
        return 2;
    }
    context.args = std::move(rest);
    int exitCode = 0;
    const std::optional<FetchedPage> page = fetchPageArgument(context, kUsage, exitCode);
    if (!page) {
        return exitCode;
    }
    const PageHarvest harvest = HarvestPage(*page, !raw);
    if (chinese) {
        for (const std::string& run : harvest.hanRuns) {
            context.out << run << '\n';
        }
    } else {
        for (const std::string_view word : harvest.words) {
            context.out << word << '\n';
        }
    }
    context.out.flush();
    return 0;
}

} // namespace cvt::cli
