#include "text/AsciiCase.h"

#include <gtest/gtest.h>

namespace cvt {
namespace {

TEST(AsciiCase, OnlyAsciiLettersFold) {
    // Bytes above 0x7F (UTF-8) and the neighbours of A-Z stand for themselves.
    EXPECT_EQ(toAsciiLower("AbZ@[`{\xC3\x89\xC3\xA9"), "abz@[`{\xC3\x89\xC3\xA9");
    EXPECT_FALSE(equalsIgnoreCase("\xC3\x89", "\xC3\xA9"));
    EXPECT_FALSE(equalsIgnoreCase("@", "`"));
}

TEST(AsciiCase, ComparesSearchesAndMatchesEnds) {
    struct Compare {
        const char* a;
        const char* b;
        int sign;
    };
    const Compare compares[] = {
        {"abc", "ABC", 0}, {"ab", "abc", -1}, {"B", "a", 1}, {"_", "a", -1}, {"\xC3\xA9", "z", 1}, {"", "", 0},
    };
    for (const Compare& c : compares) {
        const int result = compareIgnoreCase(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " " << c.b;
    }

    struct Find {
        const char* text;
        const char* needle;
        std::size_t from;
        std::size_t at;
    };
    const Find finds[] = {
        {"Quota EXCEEDED", "exceeded", 0, 6},
        {"aXa", "xA", 0, 1},
        {"abcABC", "abc", 1, 3},
        {"abc", "", 2, 2},
        {"abc", "", 3, 3},
        {"abc", "", 4, std::string_view::npos},
        {"ab", "abc", 0, std::string_view::npos},
    };
    for (const Find& c : finds) {
        EXPECT_EQ(findIgnoreCase(c.text, c.needle, c.from), c.at) << c.text << " " << c.needle << " " << c.from;
    }

    EXPECT_TRUE(startsWithIgnoreCase("HTTPS://rdap.example", "https://"));
    EXPECT_FALSE(startsWithIgnoreCase("http", "https://"));
    EXPECT_TRUE(endsWithIgnoreCase("www.Example.COM", ".example.com"));
    EXPECT_FALSE(endsWithIgnoreCase("com", ".com"));
}

} // namespace
} // namespace cvt
