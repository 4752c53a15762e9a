// The chunked body decoder on arbitrary bytes: the body never exceeds its limit or the input.
#include "net/http/HttpExceptions.h"
#include "net/http/HttpMessageReader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr std::size_t kMaxBody = 4096;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    cvt::HttpBufferSource source(input, 256);
    std::string body;
    try {
        cvt::HttpMessageReader(source).readChunked(body, kMaxBody);
    } catch (const cvt::ENetException&) {
        // A close inside the body, a broken size line, an over-long line or a body over the limit.
    }
    if (body.size() > kMaxBody || body.size() > size) {
        __builtin_trap();
    }
    const std::optional<std::uint64_t> chunkSize = cvt::HttpMessageReader::parseChunkSize(input, kMaxBody);
    if (chunkSize && *chunkSize > kMaxBody + 1) {
        __builtin_trap();
    }
    return 0;
}
