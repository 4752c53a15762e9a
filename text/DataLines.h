#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

namespace cvt {

// Calls take(line) for every line of a data file that holds data, in order: lines end in LF or
// CR LF; empty lines and lines starting with "#" are comments.
template <typename Take>
void forEachDataLine(std::string_view text, Take&& take) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty() && line.front() != '#') {
            take(line);
        }
    }
}

// The fields of a line, separated by TABs (one field for a line without a TAB).
inline std::vector<std::string_view> tabFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

} // namespace cvt
