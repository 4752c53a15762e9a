#pragma once

#include "net/http/HttpHeaderList.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace cvt {

// The request side of the HTTP client: the target text, the method and the header field values.
// A field that is empty is not sent.
class TNetHTTPRequest {
public:
    std::string url;
    std::string method = "GET";

    std::string connection;
    std::string contentVersion;
    std::string contentEncoding;
    std::string contentLanguage;
    std::string contentType = "text/html";
    std::int64_t contentLength = -1; // sent only when 0 or more
    std::string cacheControl;
    std::string date;
    std::string expires;
    std::string pragma;
    std::string proxyConnection;
    std::string host;
    std::string accept = "text/html, */*";
    std::string acceptCharset;
    std::string acceptEncoding;
    std::string acceptLanguage;
    std::string from;
    std::string referer;
    std::string userAgent;
    std::string ifModifiedSince;
    std::int64_t contentRangeStart = 0;
    std::int64_t contentRangeEnd = 0;
    std::string proxyAuthorization;

    // Basic authentication: once switched on (by a 401 naming the Basic scheme), every request
    // carries "Authorization: Basic " + Base64(username ":" password).
    bool basicAuthentication = false;
    std::string username;
    std::string password;

    // The header lines in their fixed order, each "Name: value", only for the values that are set.
    // `cookie` is the value of the Cookie header (empty: none).
    TNetHeaderList headerLines(std::string_view cookie) const;

    // The whole request as it goes on the wire: the request line, the header lines with trailing
    // blanks removed and long lines folded, and the empty line, each ending in CR LF.
    std::string wireBytes(std::string_view target, std::string_view protocolVersion, std::string_view cookie) const;
};

} // namespace cvt
