#include "core/chinese/GbkCodec.h"

#include "core/names/NameEncoding.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt::gbk {
namespace {

using namespace std::string_literals;

TEST(GbkCodec, KnownCodes) {
    struct Case {
        std::uint16_t code;
        char32_t codePoint;
    };
    const Case cases[] = {
        {0x8140, U'丂'}, {0xD6D0, U'中'}, {0xC3CE, U'梦'},     {0xA1A1, U'\u3000'}, {0xA2D9, U'①'},
        {0xA3C1, U'Ａ'}, {0xA6D8, U'ω'},  {0xFE4F, U'\uFA29'}, {0xA2AB, 0},         {0x817F, 0},
        {0xD6FF, 0},     {0xFF40, 0},     {0x0041, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(codePointOf(c.code), c.codePoint) << std::hex << c.code;
        if (c.codePoint != 0) {
            EXPECT_EQ(codeOf(c.codePoint), c.code) << std::hex << c.code;
        }
    }
    EXPECT_EQ(codeOf(U'A'), 0);
    EXPECT_EQ(codeOf(U'\U0001F600'), 0);
    EXPECT_EQ(codeOf(0x110000), 0);
}

TEST(GbkCodec, EveryAssignedCodeRoundTrips) {
    int assigned = 0;
    for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
            const char32_t codePoint = codePointOf(code);
            if (codePoint == 0) {
                continue;
            }
            ++assigned;
            ASSERT_GE(codePoint, 0x80u);
            ASSERT_EQ(codeOf(codePoint), code) << std::hex << code;
        }
    }
    EXPECT_EQ(assigned, 21'791);
}

TEST(GbkCodec, Utf8Validity) {
    struct Case {
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain ascii", true},
        {"梦境", true},
        {"\xF0\x9F\x98\x80"s, true},  // U+1F600
        {"\xF4\x8F\xBF\xBF"s, true},  // U+10FFFF
        {"\xC3\xCE\xBE\xB3"s, false}, // GBK 梦境
        {"\xC0\xAF"s, false},         // overlong
        {"\xE0\x80\xAF"s, false},     // overlong
        {"\xED\xA0\x80"s, false},     // surrogate
        {"\xF4\x90\x80\x80"s, false}, // above U+10FFFF
        {"\xE6\xA2"s, false},         // cut short
        {"\x80"s, false},             // stray continuation byte
        {"\xFF"s, false},
        {"a\x00z"s, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidUtf8(c.text), c.valid) << testing::PrintToString(c.text);
    }
}

TEST(GbkCodec, Utf8ToGbk) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"梦境", "\xC3\xCE\xBE\xB3"s},
        {"a中b", "a\xD6\xD0"
                 "b"s},
        {"梦😀", "\xC3\xCE"s},       // characters GBK lacks are dropped
        {"\xC3\xCE"s, "\xC3\xCE"s}, // not UTF-8: unchanged
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToGbk(c.text), c.expected) << c.text;
    }
}

// The names of a run come out as UTF-8 whatever they came in: a GBK list is converted, so are the GBK
// names of a mixed list, and names that are neither are taken out and counted.
TEST(NameEncoding, NamesBecomeUtf8) {
    struct Case {
        const char* what;
        std::vector<std::string> names;
        std::vector<std::string> expected;
        std::size_t refused;
    };
    const std::string xiexie = utf8ToGbk("谢谢");
    const Case cases[] = {
        {"ASCII stays", {"ab", "cd"}, {"ab", "cd"}, 0},
        {"UTF-8 stays", {"学习", "привет", "café"}, {"学习", "привет", "café"}, 0},
        {"a GBK list is converted", {utf8ToGbk("梦境"), "ab"}, {"梦境", "ab"}, 0},
        {"GBK that also reads as UTF-8, beside a GBK name", {xiexie, utf8ToGbk("学习")}, {"谢谢", "学习"}, 0},
        {"GBK names among UTF-8 ones", {"学习", utf8ToGbk("梦境"), "ab"}, {"学习", "梦境", "ab"}, 0},
        {"neither", {"ab", "caf\xE9"s, "\x81\x20x"s, "\xFF\xFF"s}, {"ab"}, 3},
        {"Latin-1 among UTF-8", {"学习", "caf\xE9"s}, {"学习"}, 1},
    };
    for (const auto& c : cases) {
        NameList names = NameList::fromRange(c.names);
        EXPECT_EQ(convertNamesToUtf8(names), c.refused) << c.what;
        EXPECT_EQ(names.toVector(), c.expected) << c.what;
    }
}

} // namespace
} // namespace cvt::gbk
