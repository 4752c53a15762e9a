// Address splitting and path merging: any bytes give parts that join back into a target without
// the bookmark, and merged paths stay absolute directories.
#include "net/http/TNetURI.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const cvt::TNetURI uri = cvt::TNetURI::parse(input);
    if (!uri.path.empty() && uri.path.back() != '/') {
        __builtin_trap();
    }
    if (!uri.protocol.empty() && (uri.path.empty() || uri.path.front() != '/')) {
        __builtin_trap();
    }
    const std::string target = uri.requestTarget();
    if (target.find('#') != std::string::npos) {
        __builtin_trap();
    }

    // The input's two halves as previous and next path.
    const std::string_view previous = input.substr(0, size / 2);
    const std::string_view next = input.substr(size / 2);
    const std::string merged = cvt::TNetURI::mergePath(previous, next);
    if (next.empty() || next.front() != '/') {
        if (merged.empty() || merged.front() != '/' || merged.find("/../") != std::string::npos ||
            merged.find("/./") != std::string::npos) {
            __builtin_trap();
        }
    }
    const std::string resolved = cvt::TNetURI::removeDotSegments(input);
    if (resolved.size() > input.size()) {
        __builtin_trap();
    }
    return 0;
}
