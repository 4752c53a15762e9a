#include "net/http/TNetHTTPResponse.h"

#include "net/http/HttpExceptions.h"
#include "net/http/HttpText.h"
#include "text/CheckedNumber.h"

#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace cvt {

void TNetHTTPResponse::clear() {
    responseText.clear();
    rawHeaders.clear();
    m_responseCode = -1;
}

void TNetHTTPResponse::setStatusLine(std::string line) {
    responseText = std::move(line);
    m_responseCode = parseStatusCode(responseText);
}

namespace {

// The items of comma-separated header values, trimmed, in order (views into `values`).
std::vector<std::string_view> listItems(const std::vector<std::string>& values) {
    std::vector<std::string_view> items;
    for (const std::string& value : values) {
        std::string_view rest = value;
        while (true) {
            const std::size_t comma = rest.find(',');
            items.push_back(trim(rest.substr(0, comma)));
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
    }
    return items;
}

} // namespace

bool TNetHTTPResponse::chunked() const {
    const std::vector<std::string> values = rawHeaders.values("Transfer-Encoding");
    const std::vector<std::string_view> codings = listItems(values);
    return !codings.empty() && equalsIgnoreCase(codings.back(), "chunked");
}

std::optional<std::int64_t> TNetHTTPResponse::contentLength() const {
    std::optional<std::int64_t> length;
    bool unreadable = false;
    const std::vector<std::string> values = rawHeaders.values("Content-Length");
    for (const std::string_view item : listItems(values)) {
        if (item.starts_with('-') &&
            parseDigits(item.substr(1), kMaxContentLength).status != DigitsResult::Status::NotDigits) {
            throw ENetHTTPMalformedReply("The reply gives a negative Content-Length (" + std::string(item) + ").");
        }
        const DigitsResult digits = parseDigits(item, kMaxContentLength);
        if (digits.status == DigitsResult::Status::NotDigits) {
            unreadable = true;
            continue;
        }
        // More than any body can hold: the reader refuses it as too large.
        const std::int64_t value = digits.ok() ? static_cast<std::int64_t>(digits.value) : kMaxContentLength;
        if (length && *length != value) {
            throw ENetHTTPMalformedReply("The reply gives Content-Length values that disagree.");
        }
        length = value;
    }
    if (length && unreadable) {
        throw ENetHTTPMalformedReply("The reply gives Content-Length values that disagree.");
    }
    return length;
}

int TNetHTTPResponse::parseStatusCode(std::string_view statusLine) {
    const std::size_t blank = statusLine.find(' ');
    if (blank == std::string_view::npos) {
        return -1;
    }
    std::string_view rest = trim(statusLine.substr(blank + 1));
    rest = rest.substr(0, rest.find(' '));
    const DigitsResult code = parseDigits(rest, std::numeric_limits<int>::max());
    return code.ok() ? static_cast<int>(code.value) : -1;
}

} // namespace cvt
