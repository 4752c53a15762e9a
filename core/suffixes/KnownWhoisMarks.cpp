#include "core/suffixes/KnownWhoisMarks.h"

#include "core/suffixes/CalibrationBook.h"
#include "text/DataLines.h"

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
    forEachDataLine(text, [&marks](std::string_view line) {
        const std::vector<std::string_view> fields = tabFields(line);
        if (fields.size() < 2 || fields.size() > 3 || !usable(fields[0]) || !usable(fields[1]) ||
            fields[0].find(' ') != std::string_view::npos || (fields.size() == 3 && !usable(fields[2]))) {
            return;
        }
        marks.m_byHost.try_emplace(
            serverKey(fields[0]),
            KnownWhoisMark{std::string(fields[1]), fields.size() == 3 ? std::string(fields[2]) : ""});
    });
    return marks;
}

const KnownWhoisMark* KnownWhoisMarks::find(std::string_view server) const {
    const auto known = m_byHost.find(serverKey(server));
    return known == m_byHost.end() ? nullptr : &known->second;
}

} // namespace cvt
