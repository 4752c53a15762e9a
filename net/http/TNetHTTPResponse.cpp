#include "net/http/TNetHTTPResponse.h"

#include "net/http/HttpText.h"
#include "text/CheckedNumber.h"

#include <limits>
#include <optional>

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

// The Content-Length value as a number: digits, or "-" and digits (a negative length means no
// body); lengths past kMaxContentLength read as that. Empty when unreadable.
std::optional<std::int64_t> readContentLength(std::string_view text) {
    if (text.starts_with('-')) {
        const SignedResult negative = parseSignedDigits(text, std::numeric_limits<std::int64_t>::min(), 0);
        return negative.ok ? std::optional<std::int64_t>(negative.value) : std::nullopt;
    }
    const DigitsResult length = parseDigits(text, TNetHTTPResponse::kMaxContentLength);
    switch (length.status) {
    case DigitsResult::Status::Ok:
        return static_cast<std::int64_t>(length.value);
    case DigitsResult::Status::TooLarge:
        // More than any body can hold: the reader refuses it as too large.
        return TNetHTTPResponse::kMaxContentLength;
    case DigitsResult::Status::NotDigits:
        break;
    }
    return std::nullopt;
}

} // namespace

bool TNetHTTPResponse::hasContentLength() const {
    return rawHeaders.has("Content-Length") && readContentLength(rawHeaders.value("Content-Length")).has_value();
}

std::int64_t TNetHTTPResponse::contentLength() const {
    if (!rawHeaders.has("Content-Length")) {
        return -1;
    }
    return readContentLength(rawHeaders.value("Content-Length")).value_or(-1);
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
