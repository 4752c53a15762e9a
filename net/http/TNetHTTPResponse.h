#pragma once

#include "net/http/HttpHeaderList.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace cvt {

// The response side of the HTTP client: the status line, its code and the raw header lines, with
// the values the client acts on read from them.
class TNetHTTPResponse {
public:
    std::string responseText; // the status line as received
    TNetHeaderList rawHeaders;

    void clear();
    void setStatusLine(std::string line);

    // The status code of the status line, -1 when it has none.
    int responseCode() const { return m_responseCode; }
    std::string location() const { return rawHeaders.value("Location"); }
    std::string connection() const { return rawHeaders.value("Connection"); }
    std::string proxyConnection() const { return rawHeaders.value("Proxy-Connection"); }
    std::string transferEncoding() const { return rawHeaders.value("Transfer-Encoding"); }
    // A Content-Length above this reads as this value, which no body limit admits.
    static constexpr std::int64_t kMaxContentLength = std::numeric_limits<std::int64_t>::max();

    // Content-Length read as a decimal (a negative one means no body); -1 with hasContentLength()
    // false when missing or unreadable; kMaxContentLength when larger than that.
    bool hasContentLength() const;
    std::int64_t contentLength() const;

    // The code of a status line: the text after the first blank, trimmed, up to the next blank, read
    // as decimal digits; -1 when there is no such number or it does not fit an int.
    static int parseStatusCode(std::string_view statusLine);

private:
    int m_responseCode = -1;
};

} // namespace cvt
