#include "core/suffixes/PopularSuffixes.h"

#include "text/AsciiCase.h"
#include "text/Trim.h"

#include <algorithm>

namespace cvt {

PopularSuffixes PopularSuffixes::parse(std::string_view text) {
    PopularSuffixes list;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == '#' || line.size() > kMaxSuffixBytes ||
            std::any_of(line.begin(), line.end(), [](char c) { return isBlank(c) || c == 0x7F; })) {
            continue;
        }
        std::string suffix = toAsciiLower(line.front() == '.' ? line.substr(1) : line);
        if (!suffix.empty() &&
            std::find(list.m_suffixes.begin(), list.m_suffixes.end(), suffix) == list.m_suffixes.end()) {
            list.m_suffixes.push_back(std::move(suffix));
        }
    }
    return list;
}

} // namespace cvt
