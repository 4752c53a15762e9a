#pragma once

#include "net/http/HttpHeaderList.h"

#include <cstdint>
#include <limits>
#include <optional>
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
    // A Content-Length above this reads as this value, which no body limit admits.
    static constexpr std::int64_t kMaxContentLength = std::numeric_limits<std::int64_t>::max();

    // Whether a Transfer-Encoding header is there; it then decides the body, whatever the
    // Content-Length says.
    bool hasTransferEncoding() const { return rawHeaders.has("Transfer-Encoding"); }
    // Whether the last coding of the Transfer-Encoding headers is chunked (any letter case).
    bool chunked() const;
    // The length the Content-Length headers give, read as decimals: none when there is no such
    // header or no value is a number; kMaxContentLength when larger than that.
    // ENetHTTPMalformedReply when a value is negative, or when the values (of several headers, or
    // a list such as "5, 5") are not all the same number.
    std::optional<std::int64_t> contentLength() const;

    // The code of a status line: the text after the first blank, trimmed, up to the next blank, read
    // as decimal digits; -1 when there is no such number or it does not fit an int.
    static int parseStatusCode(std::string_view statusLine);

private:
    int m_responseCode = -1;
};

} // namespace cvt
