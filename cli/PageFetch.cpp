#include "cli/PageFetch.h"

#include "core/words/WebHarvest.h"
#include "net/http/HttpExceptions.h"
#include "net/http/TNetHTTP.h"
#include "text/TextUtil.h"

#include <stdexcept>

namespace cvt::cli {

namespace {

// The first bytes of a reply, readable on one line.
std::string replyStart(const std::string& line) {
    constexpr std::size_t kShown = 60;
    std::string shown;
    for (const char c : line.substr(0, kShown)) {
        const auto byte = static_cast<unsigned char>(c);
        shown += (byte < 0x20 || byte == 0x7F) ? '?' : c;
    }
    return line.size() > kShown ? shown + "..." : shown;
}

} // namespace

FetchedPage fetchPage(const std::string& url) {
    TNetHTTP client;
    setUpHarvestClient(client);
    try {
        return FetchPageWithType(std::string(trim(url)), client);
    } catch (const ENetHTTPProtocolException& error) {
        if (error.replyCode() >= 0) {
            throw;
        }
        // The client reports the first line as the status line, whatever it holds.
        const std::string line = error.what();
        if (line.empty()) {
            throw std::runtime_error("the server's reply has no HTTP status line");
        }
        throw std::runtime_error("the server's reply has no valid HTTP status line; it begins \"" + replyStart(line) +
                                 "\"");
    } catch (const ENetUnknownProtocol&) {
        throw std::runtime_error("unknown protocol (only http:// and https:// addresses can be fetched)");
    }
}

} // namespace cvt::cli
