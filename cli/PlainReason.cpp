#include "cli/PlainReason.h"

#include "core/query/FallbackFailure.h"
#include "net/socket/NetErrors.h"
#include "text/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>

namespace cvt::cli {

namespace {

constexpr std::string_view kSocketErrorPrefix = "Socket Error # ";

// The step a socket failure belongs to, as far as its number tells.
std::string_view stepOf(int errnoValue) {
    switch (errnoValue) {
    case ECONNREFUSED:
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
    case EADDRNOTAVAIL:
        return "connect: ";
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
        return "connection: ";
    default:
        return "";
    }
}

std::string withServer(std::string text, std::string_view server) {
    if (!server.empty()) {
        text.append(" (").append(server).append(")");
    }
    return text;
}

} // namespace

std::string plainReason(std::string_view text, std::string_view server) {
    if (const std::optional<FallbackFailure> both = FallbackFailure::split(text)) {
        // The server named is the RDAP base's; the WHOIS part has a server of its own.
        return FallbackFailure{plainReason(both->rdap, server), plainReason(both->whois)}.text();
    }
    const std::string_view firstLine = trim(text.substr(0, std::min(text.find_first_of("\r\n"), text.size())));
    if (!firstLine.starts_with(kSocketErrorPrefix)) {
        return std::string(text);
    }
    const std::string_view digits = firstLine.substr(kSocketErrorPrefix.size());
    int code = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::string(firstLine);
    }
    if (const int errnoValue = errnoFromWsaError(code); errnoValue != 0) {
        return withServer(std::string(stepOf(errnoValue)) + std::strerror(errnoValue), server);
    }
    std::string_view words = socketErrorText(code);
    if (words.empty()) {
        return withServer("socket error " + std::to_string(code), server);
    }
    if (words.back() == '.') {
        words.remove_suffix(1);
    }
    const bool resolver = code >= wsa::kHostNotFound && code <= wsa::kNoData;
    return withServer((resolver ? "resolve: " : "") + std::string(words), server);
}

} // namespace cvt::cli
