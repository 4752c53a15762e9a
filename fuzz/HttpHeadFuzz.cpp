// Status line, header block and body read from arbitrary response bytes: every outcome is a
// network exception or a response within the limits.
#include "net/http/HttpExceptions.h"
#include "net/http/HttpMessageReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr std::size_t kMaxHead = 4096;
    constexpr std::size_t kMaxBody = 8192;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    cvt::HttpBufferSource source(input, 1024);
    cvt::HttpMessageReader reader(source);
    cvt::TNetHTTPResponse response;
    try {
        std::size_t blocks = 0;
        reader.readHead(response, kMaxHead, [&blocks](const cvt::TNetHTTPResponse&) { ++blocks; });
        if (blocks == 0 || response.responseCode() == 100) {
            __builtin_trap();
        }
        // Values are looked up the way the client does.
        (void)response.location();
        (void)response.connection();
        (void)response.contentLength();
        std::string body;
        reader.readBody(response, body, kMaxBody);
        if (body.size() > kMaxBody || body.size() > size) {
            __builtin_trap();
        }
    } catch (const cvt::ENetException&) {
        // Closed, too long or too large: all defined outcomes.
    }
    return 0;
}
