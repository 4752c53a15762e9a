#include "core/suffixes/ClosedSuffixes.h"

#include "text/AsciiCase.h"
#include "text/DataLines.h"
#include "text/IdnName.h"

#include <algorithm>

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
    forEachDataLine(text, [&closed](std::string_view line) {
        const std::vector<std::string_view> fields = tabFields(line);
        if (fields.size() != 3 || !usable(fields[0]) || !usable(fields[1]) || !usable(fields[2])) {
            return;
        }
        closed.m_reasons.emplace(toAsciiLower(fields[0]), std::string(fields[2]));
        closed.m_reasons.emplace(toAsciiLower(fields[1]), std::string(fields[2]));
        ++closed.m_count;
    });
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
