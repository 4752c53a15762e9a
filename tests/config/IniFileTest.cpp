#include "config/IniFile.h"

#include "config/IniError.h"
#include "tests/support/TempDir.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using namespace std::string_literals;

struct ReadCase {
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
};

TEST(IniFileTest, ReadsValuesByTheProfileRules) {
    const std::vector<ReadCase> cases = {
        {"[setting]\nlanguage=zh-cn\n", "setting", "language", "zh-cn"},
        {"[Setting]\nLANGUAGE=en\n", "setting", "language", "en"},
        {"  [ setting ]  \n  language  =  en  \n", "setting", "language", "en"},
        {"[setting]\nlanguage='zh-cn'\n", "setting", "language", "zh-cn"},
        {"[setting]\nlanguage=\"zh-cn\"\n", "setting", "language", "zh-cn"},
        {"[setting]\nlanguage=\"zh-cn'\n", "setting", "language", "\"zh-cn'"},
        {"[setting]\nlanguage=''\n", "setting", "language", ""},
        {"[setting]\nlanguage=\"\n", "setting", "language", "\""},
        {"[setting]\nlanguage= ' en ' \n", "setting", "language", " en "},
        {"[setting]\nlanguage=a=b\n", "setting", "language", "a=b"},
        {"[setting]\nlanguage=\n", "setting", "language", ""},
        // Missing section or key: the default as it was given, apostrophes and all.
        {"", "setting", "language", "'zh-cn'"},
        {"[other]\nlanguage=en\n", "setting", "language", "'zh-cn'"},
        {"[setting]\nlang=en\n", "setting", "language", "'zh-cn'"},
        {"language=en\n[setting]\n", "setting", "language", "'zh-cn'"},
        // Keys stop at the next section; the first of repeated sections and keys counts.
        {"[setting]\n[x]\nlanguage=en\n", "setting", "language", "'zh-cn'"},
        {"[setting]\nlanguage=en\nlanguage=de\n[setting]\nlanguage=fr\n", "setting", "language", "en"},
        // Comments and lines without "=" are passed over.
        {"[setting]\n;language=de\nno equals sign here\nlanguage=en\n", "setting", "language", "en"},
        // CR LF line ends.
        {"[setting]\r\nlanguage=en\r\n", "setting", "language", "en"},
        // A section header without "]" still names its section.
        {"[setting\nlanguage=en\n", "setting", "language", "en"},
        // Binary bytes are bytes.
        {"\0\xff\x01\n[setting]\n\0language=\xfe\0x\n"s, "setting", "language", "\xfe\0x"s},
        {"\0\xff[setting]\nlanguage=en\n"s, "setting", "language", "'zh-cn'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IniFile(c.file).readString(c.section, c.key, "'zh-cn'"), c.expected) << c.file;
    }
}

TEST(IniFileTest, CapsValuesAt2047Bytes) {
    const std::string value(5000, 'v');
    const IniFile ini("[whois]\n1=" + value + "\n2=\"" + value + "\"\n");
    EXPECT_EQ(ini.readString("whois", "1", ""), std::string(2047, 'v'));
    EXPECT_EQ(ini.readString("whois", "2", ""), std::string(2047, 'v'));
}

TEST(IniFileTest, ReadsIntegers) {
    struct Case {
        std::string value;
        std::int32_t expected;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"10", 10}, {"0x0A", 10}, {"0X0a", 10}, {"$A", 10}, {"$a", 10}, {"-3", -3}, {"+7", 7}, {"0", 0}, {"abc", 5},
        {"", 5}, {"0x", 5}, {"$", 5}, {"12a", 5}, {"'12'", 12}, {"2147483647", 2147483647}, {"2147483648", 5},
        {"-2147483648", INT32_MIN}, {"$7FFFFFFF", INT32_MAX}, {"0x100000000", 5}, {"99999999999999999999", 5},
        {"1 2", 5}, {"-0x5", 5},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(IniFile("[setting]\nnum=" + c.value + "\n").readInteger("setting", "num", 5), c.expected) << c.value;
    }
    EXPECT_EQ(IniFile("").readInteger("setting", "num", 5), 5);
}

struct WriteCase {
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

TEST(IniFileTest, WritesInPlaceAndKeepsEverythingElse) {
    const std::vector<WriteCase> cases = {
        {"", "setting", "language", "en", "[setting]\nlanguage=en\n"},
        {"; head\n[setting]\nLanguage = zh-cn ; x\nnum=5\n\n[whois]\n1=a\n", "setting", "language", "en",
         "; head\n[setting]\nLanguage=en\nnum=5\n\n[whois]\n1=a\n"},
        {"[setting]\nnum=5\n\n; about whois\n[whois]\n1=a\n", "setting", "language", "en",
         "[setting]\nnum=5\nlanguage=en\n\n; about whois\n[whois]\n1=a\n"},
        {"[setting]\r\nnum=5\r\n", "whois", "1", "com+a+b", "[setting]\r\nnum=5\r\n\r\n[whois]\r\n1=com+a+b\r\n"},
        {"[setting]\nnum=5", "setting", "language", "en", "[setting]\nnum=5\nlanguage=en\n"},
        {"[setting]", "setting", "num", "3", "[setting]\nnum=3\n"},
        {"[setting]\nlanguage=a\nlanguage=b\n", "SETTING", "LANGUAGE", "c", "[setting]\nlanguage=c\nlanguage=b\n"},
        {"junk without equals\n[setting]\nnum=1\n", "setting", "num", "2", "junk without equals\n[setting]\nnum=2\n"},
        // Values the reader would trim or unquote are protected by a pair of quotes.
        {"[s]\nk=1\n", "s", "k", " padded\t", "[s]\nk=\" padded\t\"\n"},
        {"", "s", "k", "\"quoted\"", "[s]\nk=\"\"quoted\"\"\n"},
        {"", "s", "k", "'q'", "[s]\nk=\"'q'\"\n"},
        {"", "s", "k", "\"half", "[s]\nk=\"half\n"},
    };
    for (const auto& c : cases) {
        IniFile ini(c.before);
        ini.writeString(c.section, c.key, c.value);
        EXPECT_EQ(ini.text(), c.after) << c.before;
        EXPECT_EQ(IniFile(ini.text()).readString(c.section, c.key, "?"), c.value) << c.before;
    }
}

TEST(IniFileTest, UnchangedTextRoundTripsByteForByte) {
    const std::vector<std::string> texts = {"", "a", "\n", "[s]\r\nk=v\n;c\r\n\r\nx", "\0\xff\r\r\n"s};
    for (const auto& text : texts) {
        EXPECT_EQ(IniFile(text).text(), text);
    }
}

TEST(IniFileTest, ByteOrderMarkIsSkippedOnReadingAndKeptOnWriting) {
    IniFile ini("\xEF\xBB\xBF[setting]\r\nlanguage=zh-cn\r\nnum=3\r\n");
    EXPECT_EQ(ini.readString("setting", "language", "?"), "zh-cn");
    EXPECT_EQ(ini.readInteger("setting", "num", 5), 3);
    ini.writeString("setting", "language", "en");
    EXPECT_EQ(ini.text(), "\xEF\xBB\xBF[setting]\r\nlanguage=en\r\nnum=3\r\n");
    // Only at the very start: elsewhere the bytes are text like any other.
    EXPECT_EQ(IniFile("\n\xEF\xBB\xBF[s]\nk=v\n").readString("s", "k", "?"), "?");
}

TEST(IniFileTest, RefusesNamesAndValuesThatWouldNotReadBack) {
    const std::string tooLong(IniFile::kMaxValueLength + 1, 'v');
    const std::array<const char*, 3> cases[] = {
        {"a]b", "k", "v"}, {"", "k", "v"},       {"s", "k=1", "v"},           {"s", " k", "v"},
        {"s", ";k", "v"},  {"s", "k", "v\nw=1"}, {"s", "k", tooLong.c_str()},
    };
    IniFile ini;
    for (const auto& [section, key, value] : cases) {
        EXPECT_THROW(ini.writeString(section, key, value), std::invalid_argument)
            << section << "/" << key << "/" << value;
    }
    EXPECT_EQ(ini.text(), "");
}

// Reading a huge file is covered with the options loaded from it.
TEST(IniFileTest, FromFileHandlesMissingEmptyAndFolders) {
    test::TempDir dir;
    EXPECT_EQ(IniFile::fromFile(dir.file("missing.ini")).text(), "");
    EXPECT_EQ(IniFile::fromFile(dir.write("empty.ini", "")).text(), "");
    EXPECT_THROW(IniFile::fromFile(dir.path()), IniReadError);
}

} // namespace
} // namespace cvt
