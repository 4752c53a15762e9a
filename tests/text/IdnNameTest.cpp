#include "text/IdnName.h"

#include "text/AskedPart.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

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
        {"〇〇7", "xn--7-j4ta", "〇〇7"},         // Han, though it looks like OO7
        {"москва", "xn--80adxhks", "москва"},     // Cyrillic letters unlike Latin ones
        {"αβγ", "xn--mxacd", "αβγ"},
    };
    for (const Case& c : cases) {
        const IdnConversion ascii = IdnName::toAscii(c.name);
        EXPECT_EQ(ascii.name, c.ascii) << c.name << ": " << ascii.refusal;
        const IdnConversion shown = IdnName::toShown(c.name);
        EXPECT_EQ(shown.name, c.shown) << c.name << ": " << shown.refusal;
        EXPECT_EQ(IdnName::toAscii(shown.name).name, c.ascii) << c.name << ": the shown form asks the same name";
        EXPECT_EQ(IdnName::toCandidate(c.name).name, c.shown) << c.name;
    }
}

TEST(IdnName, RefusesWhatHasNoALabelForm) {
    const std::string longChinese = "一二三四五六七八九十百千万亿天地人日月山水火木金土风云雨雪春夏秋冬东南西北";
    struct Case {
        std::string name;
        bool suffixToo = true; // refused by toShown as well as by toCandidate
    };
    const Case cases[] = {
        {"a😀"},        // emoji
        {"a\u2764b"},  // a symbol outside the tables
        {"ab\u200Dc"}, // a joiner outside its context
        {"a\u05D0"},   // Latin then Hebrew: the bidi rule
        {"a b中"},     // a blank
        {longChinese}, // more than 63 bytes as an A-label
        {"xn--zz"},    // not Punycode
        {std::string("中\0国", 7)},
        {"p\u0430ypal"}, // Latin with a Cyrillic letter
        {"abc\u0663"},   // Latin with an Arabic-Indic digit
        // Whole-script look-alikes of ASCII names, in Unicode or as A-labels; a suffix may be one.
        {"\u0430\u0440\u0440\u04CF\u0435", false}, // Cyrillic apple
        {"xn--80ak6aa92e.com", false},             // the same as an A-label
        {"\u0441\u043E\u0441\u043E", false},       // Cyrillic coco
        {"\u03BF\u03C1\u03B1", false},             // Greek opa
        {"\u0430\u0431-1", false},                 // Cyrillic with a hyphen and digit: a6-1
        {"\u0441\u0440\u0431", false},             // the Cyrillic suffix срб, cp6
        {"中国.\u0441\u043E\u0441\u043E", false},  // any label
    };
    for (const Case& c : cases) {
        const IdnConversion candidate = IdnName::toCandidate(c.name);
        EXPECT_TRUE(candidate.refused()) << c.name << " gave " << candidate.name;
        EXPECT_TRUE(candidate.name.empty()) << c.name;
        EXPECT_EQ(IdnName::toShown(c.name).refused(), c.suffixToo) << c.name;
        if (IdnName::toAscii(c.name).refused()) {
            EXPECT_TRUE(IdnName::askedDomain(c.name, "com").refused()) << c.name << " is never asked as it stands";
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
        {"AB", "com", "AB.com"},                 // ASCII goes as it stands
        {"XN--FIQS8S", "com", "xn--fiqs8s.com"}, // an A-label is checked
    };
    for (const Case& c : cases) {
        const IdnConversion asked = IdnName::askedDomain(c.name, c.suffix);
        EXPECT_EQ(asked.name, c.asked) << c.name << "." << c.suffix << ": " << asked.refusal;
    }
}

// A run joins parts converted once; what it asks must be what libidn2 makes of the whole domain,
// refusals included (an ASCII name under a suffix beyond ASCII is held to the IDNA rules too).
TEST(IdnName, PartsConvertedOnceAskWhatTheWholeDomainConvertsTo) {
    const std::string label50(50, 'a');
    const std::string long4 = label50 + "." + label50 + "." + label50 + "." + label50;
    const std::vector<std::string> names = {"Ab",
                                            "中国",
                                            "Bücher",
                                            "XN--FIQS8S",
                                            "ab--cd",
                                            "-ab",
                                            "ab-",
                                            "a_b",
                                            "a.b",
                                            "a。b",
                                            std::string(63, 'a'),
                                            std::string(64, 'a'),
                                            "א",
                                            "1א",
                                            "xn--zz",
                                            long4 + "a",
                                            long4 + "ab"};
    const std::vector<std::string> suffixes = {"com", "COM", "中国", "xn--fiqs8s", "XN--FIQS8S", "公司.中国"};
    for (const std::string& name : names) {
        for (const std::string& suffix : suffixes) {
            const std::string domain = name + "." + suffix;
            const bool whole = IdnName::isInternational(domain) || IdnName::hasALabel(name);
            const IdnConversion expected = whole ? IdnName::toAscii(domain) : IdnConversion{domain, {}, {}};
            const std::string known = IdnName::hasALabel(name) || IdnName::isInternational(name)
                                          ? IdnName::toAscii(name).name
                                          : std::string();
            for (const bool given : {false, true}) {
                AskedPart asked = AskedPart::name(name, given ? std::string_view(known) : std::string_view());
                AskedPart under = AskedPart::suffix(suffix);
                const IdnConversion joined = AskedPart::domain(asked, under);
                EXPECT_EQ(joined.name, expected.name) << domain << ": " << joined.refusal;
                EXPECT_EQ(joined.refused(), expected.refused()) << domain;
            }
        }
    }
}

} // namespace
} // namespace cvt
