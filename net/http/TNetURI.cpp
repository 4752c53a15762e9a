#include "net/http/TNetURI.h"

namespace cvt {

namespace {

// Length of the UTF-8 sequence starting at `i`, or 0 when the bytes there are not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

// Backslashes become slashes. UTF-8 never hides a backslash inside a multi-byte character; in any
// other text the bytes are read as a double-byte code page (GBK), where the trail byte of a
// character may be 0x5C and must stay as it is.
std::string backslashesToSlashes(std::string_view url) {
    std::string text(url);
    const bool utf8 = isValidUtf8(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!utf8 && byte >= 0x81 && byte <= 0xFE) {
            ++i;
        } else if (text[i] == '\\') {
            text[i] = '/';
        }
    }
    return text;
}

} // namespace

TNetURI TNetURI::parse(std::string_view url) {
    TNetURI result;
    const std::string text = backslashesToSlashes(url);
    const std::string_view all(text);
    std::string_view pathPart;
    const std::size_t schemeEnd = all.find("://");
    const bool hasScheme = schemeEnd != std::string_view::npos;
    if (hasScheme) {
        result.protocol = all.substr(0, schemeEnd);
        const std::string_view rest = all.substr(schemeEnd + 3);
        // The authority ends at the first "/" (which is dropped) or at a "?" or "#" that belongs
        // to the target.
        const std::size_t authorityEnd = rest.find_first_of("/?#");
        std::string_view authority = rest.substr(0, authorityEnd);
        if (authorityEnd != std::string_view::npos) {
            pathPart = rest.substr(rest[authorityEnd] == '/' ? authorityEnd + 1 : authorityEnd);
        }
        const std::size_t at = authority.find('@');
        if (at != std::string_view::npos) {
            const std::string_view userInfo = authority.substr(0, at);
            const std::size_t colon = userInfo.find(':');
            result.username = userInfo.substr(0, colon);
            if (colon != std::string_view::npos && !result.username.empty()) {
                result.password = userInfo.substr(colon + 1);
            }
            authority.remove_prefix(at + 1);
        }
        const std::size_t colon = authority.find(':');
        result.host = authority.substr(0, colon);
        if (colon != std::string_view::npos) {
            result.port = authority.substr(colon + 1);
        }
    } else {
        pathPart = all;
    }

    // Everything from the first "#" on is the bookmark, which is never part of the target.
    const std::size_t hash = pathPart.find('#');
    if (hash != std::string_view::npos) {
        result.bookmark = pathPart.substr(hash + 1);
        pathPart = pathPart.substr(0, hash);
    }

    std::size_t query = pathPart.find('?');
    if (query == std::string_view::npos) {
        query = pathPart.find('=');
    }
    const std::size_t slash = query == std::string_view::npos
                                  ? pathPart.rfind('/')
                                  : (query == 0 ? std::string_view::npos : pathPart.rfind('/', query - 1));
    std::size_t documentStart = 0;
    if (slash != std::string_view::npos) {
        result.path = pathPart.substr(0, slash + 1);
        documentStart = slash + 1;
    }
    if (hasScheme) {
        result.path = std::string(1, '/').append(result.path);
    }
    if (query == std::string_view::npos) {
        result.document = pathPart.substr(documentStart);
    } else {
        result.document = pathPart.substr(documentStart, query - documentStart);
        result.params = pathPart.substr(query);
    }
    return result;
}

std::string TNetURI::removeDotSegments(std::string_view path) {
    std::string input(path);
    std::string output;
    const auto dropLastSegment = [&output] {
        const std::size_t slash = output.rfind('/');
        output.erase(slash == std::string::npos ? 0 : slash);
    };
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.erase(0, 3);
        } else if (input.starts_with("./")) {
            input.erase(0, 2);
        } else if (input.starts_with("/./")) {
            input.erase(0, 2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../")) {
            input.erase(0, 3);
            dropLastSegment();
        } else if (input == "/..") {
            input = "/";
            dropLastSegment();
        } else if (input == "." || input == "..") {
            input.clear();
        } else {
            const std::size_t next = input.find('/', input.front() == '/' ? 1 : 0);
            output.append(input, 0, next);
            input.erase(0, next);
        }
    }
    return output;
}

std::string TNetURI::mergePath(std::string_view previous, std::string_view next) {
    if (!next.empty() && next.front() == '/') {
        return std::string(next);
    }
    std::string merged;
    if (previous.empty() || previous.front() != '/') {
        merged += '/';
    }
    merged += previous;
    if (merged.back() != '/') {
        merged += '/';
    }
    merged += next;
    return removeDotSegments(merged);
}

std::string_view TNetURI::schemeOf(std::string_view reference) {
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto isSchemeChar = [&](char c) {
        return isLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    };
    if (reference.empty() || !isLetter(reference.front())) {
        return {};
    }
    std::size_t end = 1;
    while (end < reference.size() && isSchemeChar(reference[end])) {
        ++end;
    }
    return end < reference.size() && reference[end] == ':' ? reference.substr(0, end) : std::string_view();
}

} // namespace cvt
