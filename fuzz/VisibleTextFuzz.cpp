// The page harvest on any bytes: the charset is detected, the page decoded and reduced to visible
// text without crashing; the visible text holds no NUL and every Han run is valid UTF-8 made of
// three- or four-byte characters.
#include "core/words/PageCharset.h"
#include "core/words/VisibleText.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first line plays the Content-Type header.
    const std::size_t lineEnd = input.find('\n');
    const std::string_view contentType =
        lineEnd == std::string_view::npos ? std::string_view() : input.substr(0, lineEnd);
    const std::string_view body = lineEnd == std::string_view::npos ? input : input.substr(lineEnd + 1);
    const std::string charset = cvt::declaredPageCharset(contentType, body);
    const std::string text = cvt::visibleTextOfHtml(cvt::decodePageToUtf8(body, charset));
    if (text.find('\0') != std::string::npos) {
        __builtin_trap();
    }
    for (const std::string& run : cvt::hanRuns(text)) {
        for (std::size_t i = 0; i < run.size();) {
            const auto lead = static_cast<unsigned char>(run[i]);
            const std::size_t length = lead >= 0xF0 ? 4 : 3;
            if (lead < 0xE0 || i + length > run.size()) {
                __builtin_trap();
            }
            i += length;
        }
    }
    return 0;
}
