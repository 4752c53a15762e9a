#include "config/ServerEntryLine.h"

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

} // namespace cvt
