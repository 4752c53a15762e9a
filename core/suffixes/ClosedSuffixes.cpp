#include "core/suffixes/ClosedSuffixes.h"

#include "text/AsciiCase.h"
#include "text/IdnName.h"

#include <algorithm>
#include <array>

namespace cvt {

namespace {

constexpr std::size_t kMaxField = 253;

bool usable(std::string_view field) {
    return !field.empty() && field.size() <= kMaxField && std::none_of(field.begin(), field.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

} // namespace

ClosedSuffixes ClosedSuffixes::parse(std::string_view text) {
    ClosedSuffixes closed;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        std::array<std::string_view, 3> fields;
        std::size_t count = 0;
        for (std::size_t start = 0; count < fields.size(); ++count) {
            const std::size_t tab = line.find('\t', start);
            fields[count] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
            if (tab == std::string_view::npos) {
                break;
            }
            start = tab + 1;
        }
        if (count != 2 || !usable(fields[0]) || !usable(fields[1]) || !usable(fields[2])) {
            continue;
        }
        closed.m_reasons.emplace(toAsciiLower(fields[0]), std::string(fields[2]));
        closed.m_reasons.emplace(toAsciiLower(fields[1]), std::string(fields[2]));
        ++closed.m_count;
    }
    return closed;
}

std::string ClosedSuffixes::reason(std::string_view suffix) const {
    if (!suffix.empty() && suffix.front() == '.') {
        suffix.remove_prefix(1);
    }
    auto found = m_reasons.find(toAsciiLower(suffix));
    if (found == m_reasons.end() && IdnName::isInternational(suffix)) {
        const IdnConversion ascii = IdnName::toAscii(suffix);
        if (!ascii.refused()) {
            found = m_reasons.find(toAsciiLower(ascii.name));
        }
    }
    return found == m_reasons.end() ? std::string() : found->second;
}

} // namespace cvt
