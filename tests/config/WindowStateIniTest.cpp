#include "config/WindowStateIni.h"

#include <gtest/gtest.h>

namespace cvt {
namespace {

TEST(WindowStateIni, EveryValueRoundTripsAndOtherSectionsStay) {
    WindowState state;
    state.geometry = WindowState::Geometry{-40, 30, 900, 700};
    state.pattern = " [a-z]phone \"x\" ";
    state.ticks = "1101";
    // More ticked suffixes than one value holds, in tick order.
    state.tickedSuffixes = std::vector<std::string>{"org", "xn--fiqs8s", "co.uk"};
    for (int i = 0; i < 600; ++i) {
        state.tickedSuffixes->push_back("s" + std::to_string(i));
    }
    state.suffixGroup = "country";
    state.mode = "text";
    state.serverTableWidth = 310;
    state.builderPage = 2;
    state.builderUrl = "http://127.0.0.1/words";
    state.builderPrefix = "my";
    state.builderPostfix = "";
    state.builderMinLetters = "3";
    state.builderMaxLetters = "9";
    state.builderDictionary = 1;
    state.builderByCharacter = true;
    IniFile ini("[setting]\r\nlanguage=en\r\n[whois]\r\n1=com+whois.example+No match\r\n");
    state.writeTo(ini);
    EXPECT_EQ(WindowState::readFrom(IniFile(ini.text())), state);
    EXPECT_EQ(ini.readString("setting", "language", ""), "en");
    EXPECT_EQ(ini.readString("whois", "1", ""), "com+whois.example+No match");
    // Written again, the section is rewritten in place, not repeated.
    state.pattern = "b";
    state.writeTo(ini);
    EXPECT_EQ(WindowState::readFrom(ini).pattern, "b");
    EXPECT_EQ(ini.text().find("[state]"), ini.text().rfind("[state]"));
    // Fewer ticks later: parts left from the longer list are not read.
    state.tickedSuffixes = std::vector<std::string>{"net"};
    state.writeTo(ini);
    EXPECT_EQ(WindowState::readFrom(ini).tickedSuffixes, state.tickedSuffixes);
}

TEST(WindowStateIni, MissingOrBrokenValuesStayUnset) {
    struct Case {
        const char* text;
        WindowState expected;
    };
    WindowState pattern;
    pattern.pattern = "abc";
    WindowState onlyGeometry;
    onlyGeometry.geometry = WindowState::Geometry{1, 2, 3, 4};
    const Case cases[] = {
        {"", {}},
        {"[setting]\nlanguage=en\n", {}},
        {"[state]\n", {}},
        {"[state]\nx=10\ny=10\nwidth=0\nheight=500\npattern=abc\n", pattern},
        {"[state]\nx=ten\ny=10\nwidth=600\nheight=500\n", {}},
        {"[state]\nx=1\ny=2\nwidth=3\nheight=4\nticks=10x1\nmode=fast\nbuilder_page=7\n", onlyGeometry},
        {"[state]\nx=1\ny=2\nwidth=3\nheight=4\nbuilder_dictionary=2\nbuilder_by_character=yes\n", onlyGeometry},
        {"[state]\nx=99999999999\ny=2\nwidth=3\nheight=4\n", {}},
        {"[state]\nx=1 \ny=2\nwidth=3\nheight=4\n", onlyGeometry},
        // Ticked lists with a part missing, a suffix that is no suffix, a group of no name.
        {"[state]\nx=1\ny=2\nwidth=3\nheight=4\nticked_parts=2\nticked1=com\n", onlyGeometry},
        {"[state]\nx=1\ny=2\nwidth=3\nheight=4\nticked_parts=1\nticked1=com,,net\nsuffix_group=x\n", onlyGeometry},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WindowState::readFrom(IniFile(c.text)), c.expected) << c.text;
    }
}

TEST(WindowStateIni, AValueThatCouldNotReadBackIsLeftOut) {
    WindowState state;
    state.pattern = "a\nb";
    state.builderPrefix = std::string(IniFile::kMaxValueLength + 1, 'p');
    state.builderUrl = "u";
    IniFile ini;
    state.writeTo(ini);
    const WindowState read = WindowState::readFrom(ini);
    EXPECT_FALSE(read.pattern.has_value());
    EXPECT_FALSE(read.builderPrefix.has_value());
    EXPECT_EQ(read.builderUrl, "u");
}

} // namespace
} // namespace cvt
