#include "net/TNetURI.h"

#include <gtest/gtest.h>
#include <string>

namespace cvt {
namespace {

struct ParseCase {
    const char* url;
    const char* protocol;
    const char* username;
    const char* password;
    const char* host;
    const char* port;
    const char* path;
    const char* document;
    const char* params;
    const char* bookmark;
};

class UriParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(UriParseTest, SplitsIntoParts) {
    const ParseCase& c = GetParam();
    const TNetURI uri = TNetURI::parse(c.url);
    EXPECT_EQ(uri.protocol, c.protocol);
    EXPECT_EQ(uri.username, c.username);
    EXPECT_EQ(uri.password, c.password);
    EXPECT_EQ(uri.host, c.host);
    EXPECT_EQ(uri.port, c.port);
    EXPECT_EQ(uri.path, c.path);
    EXPECT_EQ(uri.document, c.document);
    EXPECT_EQ(uri.params, c.params);
    EXPECT_EQ(uri.bookmark, c.bookmark);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, UriParseTest,
    ::testing::Values(ParseCase{"http://h/dir/page.html?a=1", "http", "", "", "h", "", "/dir/", "page.html", "?a=1",
                                ""},
                      ParseCase{"http://h", "http", "", "", "h", "", "/", "", "", ""},
                      ParseCase{"http://", "http", "", "", "", "", "/", "", "", ""},
                      ParseCase{"http://h:8080/x", "http", "", "", "h", "8080", "/", "x", "", ""},
                      ParseCase{"http://u:p@h/x", "http", "u", "p", "h", "", "/", "x", "", ""},
                      // Without a user name there is no password either.
                      ParseCase{"http://:p@h/", "http", "", "", "h", "", "/", "", "", ""},
                      ParseCase{"http://u@h/", "http", "u", "", "h", "", "/", "", "", ""},
                      // An "@" in the path is not user information.
                      ParseCase{"http://h/a@b", "http", "", "", "h", "", "/", "a@b", "", ""},
                      // Without "?", the first "=" starts the parameters.
                      ParseCase{"http://h/dir/a=b/c", "http", "", "", "h", "", "/dir/", "a", "=b/c", ""},
                      ParseCase{"http://h/a/b?x=/y/z", "http", "", "", "h", "", "/a/", "b", "?x=/y/z", ""},
                      ParseCase{"http://h/a b/%41?q", "http", "", "", "h", "", "/a b/", "%41", "?q", ""},
                      ParseCase{"http://h/doc#sec", "http", "", "", "h", "", "/", "doc", "", "sec"},
                      ParseCase{"http://h/doc?x=1#sec", "http", "", "", "h", "", "/", "doc", "?x=1", "sec"},
                      // Nothing after "#" belongs to the target, not even a "/" or "?" there.
                      ParseCase{"http://h/a#x/y?z", "http", "", "", "h", "", "/", "a", "", "x/y?z"},
                      // The authority ends at "?" and "#" as well as at "/".
                      ParseCase{"http://h?x=1", "http", "", "", "h", "", "/", "", "?x=1", ""},
                      ParseCase{"http://h#top", "http", "", "", "h", "", "/", "", "", "top"},
                      ParseCase{"http:\\\\h\\a\\b.html", "http", "", "", "h", "", "/a/", "b.html", "", ""},
                      ParseCase{"HTTPS://H:443/", "HTTPS", "", "", "H", "443", "/", "", "", ""},
                      ParseCase{"dir/page.html", "", "", "", "", "", "dir/", "page.html", "", ""},
                      ParseCase{"page.html", "", "", "", "", "", "", "page.html", "", ""},
                      ParseCase{"/abs/x", "", "", "", "", "", "/abs/", "x", "", ""},
                      ParseCase{"x#y", "", "", "", "", "", "", "x", "", "y"},
                      ParseCase{"", "", "", "", "", "", "", "", "", ""}));

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

struct MergeCase {
    const char* previous;
    const char* next;
    const char* merged;
};

class UriMergeTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(UriMergeTest, Merges) {
    const MergeCase& c = GetParam();
    EXPECT_EQ(TNetURI::mergePath(c.previous, c.next), c.merged);
}

INSTANTIATE_TEST_SUITE_P(Paths, UriMergeTest,
                         ::testing::Values(MergeCase{"/a/b/", "/x/", "/x/"},
                                           // An absolute path replaces the previous one as typed.
                                           MergeCase{"/a/", "/x/../y/", "/x/../y/"}, MergeCase{"/a/b/", "", "/a/b/"},
                                           MergeCase{"/a/b/", "c/", "/a/b/c/"}, MergeCase{"/a/b", "c/", "/a/b/c/"},
                                           MergeCase{"/a/b/", "../", "/a/"}, MergeCase{"/a/b/", "../../../", "/"},
                                           MergeCase{"/a/b/", "./c/./", "/a/b/c/"},
                                           MergeCase{"/a/b/", "c/../d/", "/a/b/d/"}, MergeCase{"", "c/", "/c/"},
                                           MergeCase{"", "", "/"}, MergeCase{"/a/", "..", "/"}));

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
