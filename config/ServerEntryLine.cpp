#include "config/ServerEntryLine.h"

#include "text/IdnName.h"
#include "text/TextUtil.h"

namespace cvt {

namespace {

bool endsField(char c) {
    return c == '+' || c == '\r' || c == '\n';
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
    // An RDAP entry (suffix+https://base/) needs no no-match mark: the status code tells.
    const bool rdap = fields.size() == 2 && lookupKindOf(fields[1]) == LookupKind::Rdap;
    if (fields.size() < 3 && !rdap) {
        reason = "fewer than three fields";
        return std::nullopt;
    }
    ServerEntry entry{std::string(trim(fields[0])), std::string(trim(fields[1])),
                      fields.size() > 2 ? fields[2] : std::string(), fields.size() > 3 ? fields[3] : std::string(),
                      false};
    if (entry.caption.empty() || entry.host.empty()) {
        reason = "blank suffix or server";
        return std::nullopt;
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
