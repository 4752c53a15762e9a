#include "net/http/TNetHTTPRequest.h"

#include "net/http/HttpText.h"

namespace cvt {

namespace {

void addIfSet(TNetHeaderList& list, std::string_view name, std::string_view value) {
    if (!value.empty()) {
        list.add(std::string(name) + ": " + std::string(value));
    }
}

std::string rangeValue(std::int64_t start, std::int64_t end) {
    if (start <= 0 && end <= 0) {
        return {};
    }
    std::string value = "bytes=" + std::to_string(start < 0 ? 0 : start) + "-";
    if (end > 0) {
        value += std::to_string(end);
    }
    return value;
}

} // namespace

TNetHeaderList TNetHTTPRequest::headerLines(std::string_view cookie) const {
    TNetHeaderList list;
    addIfSet(list, "Connection", connection);
    addIfSet(list, "Content-Version", contentVersion);
    addIfSet(list, "Content-Encoding", contentEncoding);
    addIfSet(list, "Content-Language", contentLanguage);
    addIfSet(list, "Content-Type", contentType);
    if (contentLength >= 0) {
        addIfSet(list, "Content-Length", std::to_string(contentLength));
    }
    addIfSet(list, "Cache-control", cacheControl);
    addIfSet(list, "Date", date);
    addIfSet(list, "Expires", expires);
    addIfSet(list, "Pragma", pragma);
    addIfSet(list, "Proxy-Connection", proxyConnection);
    addIfSet(list, "Host", host);
    addIfSet(list, "Accept", accept);
    addIfSet(list, "Accept-Charset", acceptCharset);
    addIfSet(list, "Accept-Encoding", acceptEncoding);
    addIfSet(list, "Accept-Language", acceptLanguage);
    addIfSet(list, "From", from);
    addIfSet(list, "Referer", referer);
    addIfSet(list, "User-Agent", userAgent);
    addIfSet(list, "If-Modified-Since", ifModifiedSince);
    addIfSet(list, "Range", rangeValue(contentRangeStart, contentRangeEnd));
    if (basicAuthentication) {
        addIfSet(list, "Authorization", "Basic " + http::encodeBase64(username + ":" + password));
    }
    addIfSet(list, "Proxy-Authorization", proxyAuthorization);
    addIfSet(list, "Cookie", cookie);
    return list;
}

std::string TNetHTTPRequest::wireBytes(std::string_view target, std::string_view protocolVersion,
                                       std::string_view cookie) const {
    std::string bytes = method + " " + std::string(target) + " HTTP/" + std::string(protocolVersion) + "\r\n";
    const TNetHeaderList headers = headerLines(cookie);
    for (const std::string& line : headers.lines()) {
        for (const std::string& folded : TNetHeaderList::fold(line)) {
            if (!folded.empty()) {
                bytes += folded;
                bytes += "\r\n";
            }
        }
    }
    bytes += "\r\n";
    return bytes;
}

} // namespace cvt
