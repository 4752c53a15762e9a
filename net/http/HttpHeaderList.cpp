#include "net/http/HttpHeaderList.h"

#include "net/http/HttpText.h"

namespace cvt {

namespace {

constexpr std::size_t kFoldWidth = 78;

bool isContinuation(std::string_view line) {
    return !line.empty() && (line.front() == ' ' || line.front() == '\t');
}

std::string_view trimRight(std::string_view text) {
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

bool TNetHeaderList::valueAt(std::size_t index, std::string_view name, std::string& value) const {
    const std::string_view line = m_lines[index];
    if (isContinuation(line)) {
        return false;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !equalsIgnoreCase(trim(line.substr(0, colon)), name)) {
        return false;
    }
    value = trim(line.substr(colon + 1));
    for (std::size_t next = index + 1; next < m_lines.size() && isContinuation(m_lines[next]); ++next) {
        const std::string_view more = trim(m_lines[next]);
        if (!more.empty()) {
            value += value.empty() ? "" : " ";
            value += more;
        }
    }
    return true;
}

std::string TNetHeaderList::value(std::string_view name) const {
    std::string result;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (valueAt(i, name, result)) {
            return result;
        }
    }
    return {};
}

bool TNetHeaderList::has(std::string_view name) const {
    std::string ignored;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (valueAt(i, name, ignored)) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> TNetHeaderList::values(std::string_view name) const {
    std::vector<std::string> result;
    std::string one;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (valueAt(i, name, one)) {
            result.push_back(one);
        }
    }
    return result;
}

std::vector<std::string> TNetHeaderList::fold(std::string_view line) {
    std::vector<std::string> out;
    std::string rest(trimRight(line));
    while (rest.size() > kFoldWidth) {
        // The last place to fold within the width, else the first one after it. Position 0 is the
        // blank that starts a continuation line and is never a place to fold.
        std::size_t at = rest.find_last_of(" \t,", kFoldWidth);
        if (at == std::string::npos || at == 0) {
            at = rest.find_first_of(" \t,", kFoldWidth + 1);
        }
        if (at == std::string::npos) {
            break;
        }
        const std::size_t headEnd = rest[at] == ',' ? at + 1 : at;
        const std::string_view head = trimRight(std::string_view(rest).substr(0, headEnd));
        std::size_t tailStart = at + 1;
        while (tailStart < rest.size() && (rest[tailStart] == ' ' || rest[tailStart] == '\t')) {
            ++tailStart;
        }
        if (head.empty() || tailStart >= rest.size()) {
            break;
        }
        out.emplace_back(head);
        std::string continuation(1, ' ');
        continuation.append(rest, tailStart, std::string::npos);
        rest = std::move(continuation);
    }
    out.push_back(std::move(rest));
    return out;
}

} // namespace cvt
