#include "net/TNetHTTPResponse.h"

#include "net/HttpText.h"

#include <limits>

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

bool TNetHTTPResponse::hasContentLength() const {
    return rawHeaders.has("Content-Length") && http::parseDecimal(rawHeaders.value("Content-Length")).has_value();
}

std::int64_t TNetHTTPResponse::contentLength() const {
    if (!rawHeaders.has("Content-Length")) {
        return -1;
    }
    return http::parseDecimal(rawHeaders.value("Content-Length")).value_or(-1);
}

int TNetHTTPResponse::parseStatusCode(std::string_view statusLine) {
    const std::size_t blank = statusLine.find(' ');
    if (blank == std::string_view::npos) {
        return -1;
    }
    std::string_view rest = trim(statusLine.substr(blank + 1));
    rest = rest.substr(0, rest.find(' '));
    const auto code = http::parseDecimal(rest);
    if (!code || *code < std::numeric_limits<int>::min() || *code > std::numeric_limits<int>::max()) {
        return -1;
    }
    return static_cast<int>(*code);
}

} // namespace cvt
