// Takes arbitrary bytes as a suffix catalogue file and checks what the loader keeps: every entry
// is found again under both of its forms, holds no separator or control byte, and names a server;
// problems come in line order within the file, and the summary speaks exactly when there are any.
#include "core/suffixes/SuffixCatalogue.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool clean(std::string_view field) {
    return std::none_of(field.begin(), field.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const cvt::SuffixCatalogue catalogue = cvt::SuffixCatalogue::parse(bytes);
    const std::size_t lineCount = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;

    std::size_t previousLine = 0;
    for (const cvt::SuffixEntry& entry : catalogue.entries()) {
        require(entry.line > previousLine && entry.line <= lineCount);
        previousLine = entry.line;
        require(catalogue.find(entry.suffix) == &entry && catalogue.find(entry.ascii) == &entry);
        require(clean(entry.suffix) && clean(entry.ascii) && clean(entry.rdapBase) && clean(entry.whoisServer));
        require(!entry.rdapBase.empty() || !entry.whoisServer.empty());
        require(entry.rdapBase.empty() || entry.rdapBase.rfind("https://", 0) == 0);
        require(entry.knownRegistered.empty() ||
                (clean(entry.knownRegistered) && entry.knownRegistered.size() > entry.ascii.size() + 1 &&
                 entry.knownRegistered.compare(entry.knownRegistered.size() - entry.ascii.size(), std::string::npos,
                                               entry.ascii) == 0));
        for (const std::string& server : entry.nameServers) {
            require(!server.empty() && clean(server) && server.find(',') == std::string::npos);
        }
    }
    previousLine = 0;
    for (const cvt::CatalogueProblem& problem : catalogue.problems()) {
        require(problem.line >= previousLine && problem.line <= lineCount && !problem.message.empty());
        previousLine = problem.line;
    }
    require(catalogue.problemSummary().empty() == catalogue.problems().empty());
    return 0;
}
