#pragma once

#include <string>
#include <string_view>

namespace cvt {

// The parts of a web address as the HTTP client splits it. The path is the directory part and ends
// in "/" (or is empty); the document is the last segment; the parameters start at "?" (or at the
// first "=" when there is no "?"); the bookmark is the text after "#", without the "#".
//
// Joining path + document + parameters gives back the address's target as typed: nothing is
// percent-encoded or decoded.
struct TNetURI {
    std::string protocol;
    std::string username;
    std::string password;
    std::string host;
    std::string port;
    std::string path;
    std::string document;
    std::string params;
    std::string bookmark;

    // Splits an address. Backslashes count as slashes (the trail byte of a double-byte character is
    // never taken for one). Without "://" the whole text is a relative path with no scheme, host or
    // port. Never throws.
    static TNetURI parse(std::string_view url);

    // The scheme that stands at the start of a reference (letters, then letters, digits, "+", "-"
    // or ".", then ":"), without the colon; empty when there is none, so that "/ok?u=http://x" is
    // relative.
    static std::string_view schemeOf(std::string_view reference);

    // The path that a request with the path `next` has when the previous request's path was
    // `previous`: an absolute `next` replaces `previous` as typed; a relative one is appended to it
    // and its "." and ".." segments are resolved (".." never climbs above the root). The result of
    // a relative merge always begins and ends with "/".
    static std::string mergePath(std::string_view previous, std::string_view next);

    // Resolves "." and ".." segments of an absolute path; a trailing "." or ".." segment leaves the
    // path ending in "/".
    static std::string removeDotSegments(std::string_view path);

    // path + document + parameters: what goes into the request line.
    std::string requestTarget() const { return path + document + params; }
};

} // namespace cvt
