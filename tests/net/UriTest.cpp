#include "net/http/TNetURI.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

TEST(UriParse, SplitsIntoParts) {
    struct Case {
        const char* url;
        std::vector<std::string> parts; // protocol, user, password, host, port, path, document, params, bookmark
    };
    // clang-format off
    const Case cases[] = {
        {"http://h/dir/page.html?a=1", {"http", "", "", "h", "", "/dir/", "page.html", "?a=1", ""}},
        {"http://h", {"http", "", "", "h", "", "/", "", "", ""}},
        {"http://", {"http", "", "", "", "", "/", "", "", ""}},
        {"http://h:8080/x", {"http", "", "", "h", "8080", "/", "x", "", ""}},
        {"http://u:p@h/x", {"http", "u", "p", "h", "", "/", "x", "", ""}},
        // Without a user name there is no password either.
        {"http://:p@h/", {"http", "", "", "h", "", "/", "", "", ""}},
        {"http://u@h/", {"http", "u", "", "h", "", "/", "", "", ""}},
        // An "@" in the path is not user information.
        {"http://h/a@b", {"http", "", "", "h", "", "/", "a@b", "", ""}},
        // Without "?", the first "=" starts the parameters.
        {"http://h/dir/a=b/c", {"http", "", "", "h", "", "/dir/", "a", "=b/c", ""}},
        {"http://h/a/b?x=/y/z", {"http", "", "", "h", "", "/a/", "b", "?x=/y/z", ""}},
        {"http://h/a b/%41?q", {"http", "", "", "h", "", "/a b/", "%41", "?q", ""}},
        {"http://h/doc#sec", {"http", "", "", "h", "", "/", "doc", "", "sec"}},
        {"http://h/doc?x=1#sec", {"http", "", "", "h", "", "/", "doc", "?x=1", "sec"}},
        // Nothing after "#" belongs to the target, not even a "/" or "?" there.
        {"http://h/a#x/y?z", {"http", "", "", "h", "", "/", "a", "", "x/y?z"}},
        // The authority ends at "?" and "#" as well as at "/".
        {"http://h?x=1", {"http", "", "", "h", "", "/", "", "?x=1", ""}},
        {"http://h#top", {"http", "", "", "h", "", "/", "", "", "top"}},
        {"http:\\\\h\\a\\b.html", {"http", "", "", "h", "", "/a/", "b.html", "", ""}},
        {"HTTPS://H:443/", {"HTTPS", "", "", "H", "443", "/", "", "", ""}},
        {"dir/page.html", {"", "", "", "", "", "dir/", "page.html", "", ""}},
        {"page.html", {"", "", "", "", "", "", "page.html", "", ""}},
        {"/abs/x", {"", "", "", "", "", "/abs/", "x", "", ""}},
        {"x#y", {"", "", "", "", "", "", "x", "", "y"}},
        {"", {"", "", "", "", "", "", "", "", ""}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const TNetURI u = TNetURI::parse(c.url);
        const std::vector<std::string> parts = {u.protocol, u.username, u.password, u.host,    u.port,
                                                u.path,     u.document, u.params,   u.bookmark};
        EXPECT_EQ(parts, c.parts) << c.url;
    }
}

TEST(UriParse, BackslashInsideDoubleByteCharacterIsKept) {
    // GBK "\x95\x5C" is one character whose trail byte is a backslash.
    const TNetURI gbk = TNetURI::parse("http://h/\x95\x5C/x");
    EXPECT_EQ(gbk.path, "/\x95\x5C/");
    EXPECT_EQ(gbk.document, "x");
    // In UTF-8 no multi-byte character holds a backslash, so every one is a separator.
    const TNetURI utf8 = TNetURI::parse("http://h/\xE4\xB8\xAD\\x");
    EXPECT_EQ(utf8.path, "/\xE4\xB8\xAD/");
    EXPECT_EQ(utf8.document, "x");
}

TEST(UriParse, JoinedPartsGiveTheTargetAsTyped) {
    for (const char* target : {"/a b/c%20d?e=f", "/x/y/z.html", "/?q", "/p=1/q"}) {
        EXPECT_EQ(TNetURI::parse(std::string("http://h") + target).requestTarget(), target) << target;
    }
}

TEST(UriMerge, RelativePathsJoinThePreviousOne) {
    // clang-format off
    const std::vector<std::array<const char*, 3>> cases = { // previous, next, merged
        {"/a/b/", "/x/", "/x/"},
        // An absolute path replaces the previous one as typed.
        {"/a/", "/x/../y/", "/x/../y/"}, {"/a/b/", "", "/a/b/"}, {"/a/b/", "c/", "/a/b/c/"}, {"/a/b", "c/", "/a/b/c/"},
        {"/a/b/", "../", "/a/"}, {"/a/b/", "../../../", "/"}, {"/a/b/", "./c/./", "/a/b/c/"},
        {"/a/b/", "c/../d/", "/a/b/d/"}, {"", "c/", "/c/"}, {"", "", "/"}, {"/a/", "..", "/"},
    };
    // clang-format on
    for (const auto& [previous, next, merged] : cases) {
        EXPECT_EQ(TNetURI::mergePath(previous, next), merged) << previous << " + " << next;
    }
}

TEST(UriDotSegments, ResolvesLikeRelativeReferences) {
    const std::pair<const char*, const char*> cases[] = {
        {"/a/b/c/./../../g", "/a/g"}, {"/a/./b/", "/a/b/"}, {"/..", "/"}, {"/a/..", "/"}, {"/a/.", "/a/"},
        {"/a//b/../c", "/a//c"},      {"/", "/"},
    };
    for (const auto& [path, resolved] : cases) {
        EXPECT_EQ(TNetURI::removeDotSegments(path), resolved) << path;
    }
}

} // namespace
} // namespace cvt
