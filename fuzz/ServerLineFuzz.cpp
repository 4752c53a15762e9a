// Server-entry lines and the server table: any bytes give fields and rows, never a crash.
#include "config/ServerEntryLine.h"
#include "config/ServerTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t fieldBytes = 0;
    for (const auto& field : cvt::SplitServerLine(text)) {
        if (field.empty()) {
            std::abort();
        }
        fieldBytes += field.size();
    }
    if (fieldBytes > size) {
        std::abort();
    }
    cvt::TIniOptions options;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        options.WhoisLines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    const cvt::ServerTableData table = cvt::BuildServerTable(options);
    if (table.entries.size() + table.skipped.size() != options.WhoisLines.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
        if (table.entries[i].ticked != (i < 3) || table.entries[i].caption.empty() || table.entries[i].host.empty()) {
            std::abort();
        }
    }
    return 0;
}
