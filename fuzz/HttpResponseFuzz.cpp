// The HTTP client's response handling on its real connection, the peer scripted from the input:
// status lines, header blocks, the three body modes, 100 Continue, redirects and 401 (which fail),
// keep-alive decisions between two fetches, bodies cut short, in receive pieces of any size.
//
// Input: one settings byte, then the bytes the server sends (after which it closes).
#include "fuzz/FuzzInput.h"
#include "net/http/HttpExceptions.h"
#include "net/http/TNetHTTP.h"
#include "net/socket/NetExceptions.h"
#include "tests/support/ScriptedSocketApi.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool isRedirect(const cvt::TNetHTTPResponse& response) {
    const int code = response.responseCode();
    return (code >= 300 && code <= 399 && code != 304) || !response.location().empty();
}

// One fetch; checks what a finished or failed fetch leaves behind.
void fetch(cvt::TNetHTTP& client, std::string_view url) {
    using cvt::fuzz::require;
    try {
        const std::string body = client.Get(url);
        const cvt::TNetHTTPResponse& response = client.Response();
        require(response.responseCode() >= 200 && response.responseCode() <= 299);
        require(!isRedirect(response));
        require(body.size() <= cvt::TNetHTTP::kMaxBodyBytes);
        require(response.responseCode() != 204 || body.empty());
        if (response.responseCode() != 204 && !response.hasTransferEncoding()) {
            // A counted body is whole or the fetch fails.
            const std::optional<std::int64_t> length = response.contentLength();
            require(!length || body.size() == static_cast<std::uint64_t>(*length));
        }
    } catch (const cvt::ENetHTTPProtocolException& error) {
        const cvt::TNetHTTPResponse& response = client.Response();
        require(error.replyCode() == response.responseCode());
        // The message is the status line, up to a NUL byte in it.
        require(std::string_view(error.what()) ==
                std::string_view(response.responseText).substr(0, response.responseText.find('\0')));
        require(isRedirect(response) || response.responseCode() < 200 || response.responseCode() > 299);
    } catch (const cvt::ENetException&) {
        // Closes, line limits, oversized bodies: the fetch ends, the client stays usable.
    }
    // What is left of a response that did not keep the connection is never read as the next one.
    require(client.KeepAlive() || !client.IsConnected());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using cvt::ScriptedSocketApi;
    using cvt::fuzz::require;
    if (size == 0) {
        return 0;
    }
    const uint8_t settings = data[0];
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);

    ScriptedSocketApi api;
    // The bytes arrive in pieces of one size, so that lines and bodies straddle receives.
    const std::size_t piece = 1 + (settings & 0x0F) * 7;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        api.incoming.push_back(ScriptedSocketApi::data(std::string(stream.substr(at, piece))));
    }
    api.lookupAddress = 0x7F000001;
    {
        cvt::TNetHTTP client;
        client.SetSocketApi(api);
        client.SetProtocolVersion((settings & 0x10) != 0 ? cvt::TNetHTTPProtocolVersion::pv1_0
                                                         : cvt::TNetHTTPProtocolVersion::pv1_1);
        client.SetAllowCookies((settings & 0x20) == 0);
        client.SetErrorBodyTimeout(10);
        fetch(client, "http://fuzz.example/dir/page.html");
        // The second fetch reuses a kept-alive connection or opens a new one on the same script.
        fetch(client, (settings & 0x40) != 0 ? "next.html?q=1" : "http://fuzz.example:8080/");
        require(api.sent.starts_with("GET "));
    }
    require(api.openSockets == 0);
    return 0;
}
