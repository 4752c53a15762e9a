#include "config/ServerEntryLine.h"

#include "text/IdnName.h"
#include "text/TextUtil.h"

#include <algorithm>

namespace cvt {

namespace {

bool endsField(char c) {
    return c == '+' || c == '\r' || c == '\n';
}

// Whether a field names a WHOIS server ("host", "host:port", an address) rather than a text: one
// word with a dot or a colon.
bool looksLikeServer(std::string_view field) {
    const std::string_view word = trim(field);
    return !word.empty() && word.find_first_of(".:") != std::string_view::npos &&
           std::none_of(word.begin(), word.end(), [](char c) { return isBlank(c); }) &&
           lookupKindOf(word) == LookupKind::Whois;
}

} // namespace

std::vector<std::string> SplitServerLine(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && endsField(line[i])) {
            ++i;
        }
        if (i == line.size()) {
            return fields;
        }
        std::string field;
        char quote = 0;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (quote != 0) {
                if (c == quote) {
                    quote = 0;
                }
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (endsField(c)) {
                break;
            }
            field.push_back(c);
        }
        fields.push_back(std::move(field));
    }
}

std::optional<ServerEntry> ServerEntryFromFields(const std::vector<std::string>& fields, std::string& reason) {
    if (fields.size() < 2) {
        reason = "fewer than two fields";
        return std::nullopt;
    }
    ServerEntry entry{std::string(trim(fields[0])), std::string(trim(fields[1])),
                      fields.size() > 2 ? fields[2] : std::string(), fields.size() > 3 ? fields[3] : std::string(),
                      false};
    if (entry.caption.empty() || entry.host.empty()) {
        reason = "blank suffix or server";
        return std::nullopt;
    }
    if (entry.kind == LookupKind::Whois && fields.size() > 2 && lookupKindOf(fields[2]) == LookupKind::Rdap) {
        reason = "the WHOIS server comes before the RDAP base; write suffix+https://base/+whois.host+mark";
        return std::nullopt;
    }
    if (entry.kind == LookupKind::Rdap && fields.size() > 3 && looksLikeServer(fields[2])) {
        entry.kind = LookupKind::RdapThenWhois;
        entry.whoisHost = std::string(trim(fields[2]));
        entry.mark = fields[3];
        entry.refusal = fields.size() > 4 ? fields[4] : std::string();
    }
    // An international suffix, written in Unicode or by its A-label, is shown in Unicode; the
    // engine asks by the A-label.
    IdnConversion shown = IdnName::toShown(entry.caption);
    if (shown.refused()) {
        reason = "the suffix is not an international domain name: " + shown.refusal;
        return std::nullopt;
    }
    entry.caption = std::move(shown.name);
    return entry;
}

} // namespace cvt
