#include "text/IdnName.h"

#include <gtest/gtest.h>
#include <string>

namespace cvt {
namespace {

TEST(IdnName, ConvertsBothWaysAndShowsWhatIsAsked) {
    struct Case {
        std::string name;
        std::string ascii; // toAscii
        std::string shown; // toShown
    };
    const Case cases[] = {
        {"中国", "xn--fiqs8s", "中国"},
        {"音乐.中国", "xn--fjq180p.xn--fiqs8s", "音乐.中国"},
        {"Bücher", "xn--bcher-kva", "bücher"},
        {"ＡＢＣ中国", "xn--abc-x68dy61b", "abc中国"}, // full width folded
        {"xn--fiqs8s", "xn--fiqs8s", "中国"},
        {"XN--FIQS8S", "xn--fiqs8s", "中国"},
        {"Example", "example", "Example"},        // plain ASCII is shown as written
        {"faß", "xn--fa-hia", "faß"},             // non-transitional: ß stays
        {"qq音乐", "xn--qq-r12c3310a", "qq音乐"}, // Latin with Han is one name
    };
    for (const Case& c : cases) {
        const IdnConversion ascii = IdnName::toAscii(c.name);
        EXPECT_EQ(ascii.name, c.ascii) << c.name << ": " << ascii.refusal;
        const IdnConversion shown = IdnName::toShown(c.name);
        EXPECT_EQ(shown.name, c.shown) << c.name << ": " << shown.refusal;
        EXPECT_EQ(IdnName::toAscii(shown.name).name, c.ascii) << c.name << ": the shown form asks the same name";
    }
}

TEST(IdnName, RefusesWhatHasNoALabelForm) {
    const std::string longChinese = "一二三四五六七八九十百千万亿天地人日月山水火木金土风云雨雪春夏秋冬东南西北";
    const std::string cases[] = {
        "a😀",        // emoji
        "a\u2764b",  // a symbol outside the tables
        "ab\u200Dc", // a joiner outside its context
        "a\u05D0",   // Latin then Hebrew: the bidi rule
        "a b中",     // a blank
        longChinese, // more than 63 bytes as an A-label
        "xn--zz",    // not Punycode
        std::string("中\0国", 7),
        "p\u0430ypal", // Latin with a Cyrillic letter
        "abc\u0663",   // Latin with an Arabic-Indic digit
    };
    for (const std::string& name : cases) {
        const IdnConversion shown = IdnName::toShown(name);
        EXPECT_TRUE(shown.refused()) << name << " gave " << shown.name;
        EXPECT_TRUE(shown.name.empty()) << name;
        if (IdnName::toAscii(name).refused() && IdnName::isInternational(name)) {
            EXPECT_TRUE(IdnName::askedDomain(name, "com").refused()) << name << " is never asked as it stands";
        }
    }
}

TEST(IdnName, AsksTheDomainByItsALabel) {
    struct Case {
        std::string name;
        std::string suffix;
        std::string asked;
    };
    const Case cases[] = {
        {"中国", "com", "xn--fiqs8s.com"},
        {"ab", "中国", "ab.xn--fiqs8s"},
        {"ab", "xn--fiqs8s", "ab.xn--fiqs8s"},
        {"音乐", "公司", "xn--fjq180p.xn--55qx5d"},
        {"AB", "com", "AB.com"}, // ASCII goes as it stands
    };
    for (const Case& c : cases) {
        const IdnConversion asked = IdnName::askedDomain(c.name, c.suffix);
        EXPECT_EQ(asked.name, c.asked) << c.name << "." << c.suffix << ": " << asked.refusal;
    }
}

} // namespace
} // namespace cvt
