#include "core/suffixes/KnownWhoisMarks.h"

#include "core/suffixes/CalibrationBook.h"

#include <algorithm>
#include <vector>

namespace cvt {

namespace {

bool usable(std::string_view field) {
    return !field.empty() && field.size() <= KnownWhoisMarks::kMaxFieldBytes &&
           std::none_of(field.begin(), field.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return (byte < 0x20 && c != ' ') || byte == 0x7F;
           });
}

} // namespace

KnownWhoisMarks KnownWhoisMarks::parse(std::string_view text) {
    KnownWhoisMarks marks;
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
        std::vector<std::string_view> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
            if (tab == std::string_view::npos) {
                break;
            }
            start = tab + 1;
        }
        if (fields.size() < 2 || fields.size() > 3 || !usable(fields[0]) || !usable(fields[1]) ||
            fields[0].find(' ') != std::string_view::npos || (fields.size() == 3 && !usable(fields[2]))) {
            continue;
        }
        marks.m_byHost.try_emplace(
            serverKey(fields[0]),
            KnownWhoisMark{std::string(fields[1]), fields.size() == 3 ? std::string(fields[2]) : ""});
    }
    return marks;
}

const KnownWhoisMark* KnownWhoisMarks::find(std::string_view server) const {
    const auto known = m_byHost.find(serverKey(server));
    return known == m_byHost.end() ? nullptr : &known->second;
}

} // namespace cvt
