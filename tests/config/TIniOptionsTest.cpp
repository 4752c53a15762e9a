#include "config/TIniOptions.h"

#include "config/IniError.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using namespace std::string_literals;

TIniOptions load(const std::string& text) {
    TIniOptions options;
    const IniFile ini(text);
    options.LoadFromIni(&ini);
    return options;
}

struct LoadCase {
    std::string file;
    std::string language;
    std::int32_t num;
    std::vector<std::string> lines;
    std::vector<std::int32_t> keys;
};

TEST(TIniOptionsTest, LoadsLanguageNumAndAcceptedLines) {
    const std::string three = "[whois]\n1=com+a+b\n2=net+c+d\n4=org+e+f\n";
    // clang-format off
    const std::vector<LoadCase> cases = {
        {"[setting]\nlanguage=zh-cn\nnum=3\n" + three, "zh-cn", 3, {"com+a+b", "net+c+d"}, {1, 2}},
        {"[setting]\nlanguage=ZH-CN\nnum=4\n" + three, "ZH-CN", 4, {"com+a+b", "net+c+d", "org+e+f"}, {1, 2, 4}},
        {"[setting]\nlanguage='zh-cn'\n", "zh-cn", 5, {}, {}},
        // No language key: the default comes back with its apostrophes.
        {"", "'zh-cn'", 5, {}, {}},
        {"[setting]\nnum=0x0A\n[whois]\n10=com+a+b\n11=net+c+d\n", "'zh-cn'", 10, {"com+a+b"}, {10}},
        {"[setting]\nnum=$A\n", "'zh-cn'", 10, {}, {}},
        {"[setting]\nnum=abc\n" + three, "'zh-cn'", 5, {"com+a+b", "net+c+d", "org+e+f"}, {1, 2, 4}},
        {"[setting]\nnum=\n" + three, "'zh-cn'", 5, {"com+a+b", "net+c+d", "org+e+f"}, {1, 2, 4}},
        {"[setting]\nnum=0\n" + three, "'zh-cn'", 0, {}, {}},
        {"[setting]\nnum=-4\n" + three, "'zh-cn'", -4, {}, {}},
        // Six bytes after trimming are enough, five are not; "01" is not key 1; the first "1" counts.
        {"[setting]\nnum=9\n[whois]\n1=  a+b+c \t\n2=a+b+c\n3=a+b+cd\n01=x+y+zzz\n1=dup+x+y\n", "'zh-cn'", 9,
         {"a+b+cd"}, {3}},
        {"[setting]\nnum=3\n[whois]\n3=\" com+x+y \"\n2=cn\n", "'zh-cn'", 3, {"com+x+y"}, {3}},
        // A huge num reads the keys that exist without walking two billion numbers.
        {"[setting]\nnum=2147483647\n[whois]\n2147483647=com+a+b\n7=net+c+d\n", "'zh-cn'", 2147483647,
         {"net+c+d", "com+a+b"}, {7, 2147483647}},
        // Lines without "=", binary bytes, CR LF.
        {"[setting]\r\nnum=2\r\njunk\r\n[whois]\r\n\0\x01\xff\r\n1=com+a+b\r\n2=\xff\xfe+a+b\r\n"s, "'zh-cn'", 2,
         {"com+a+b", "\xff\xfe+a+b"}, {1, 2}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const TIniOptions options = load(c.file);
        EXPECT_EQ(options.Language, c.language) << c.file;
        EXPECT_EQ(options.Num, c.num) << c.file;
        EXPECT_EQ(options.WhoisLines, c.lines) << c.file;
        EXPECT_EQ(options.WhoisKeys, c.keys) << c.file;
    }
}

TEST(TIniOptionsTest, NoFileObjectDoesNothing) {
    TIniOptions options;
    options.LoadFromIni(nullptr);
    options.SaveToIni(nullptr);
    EXPECT_EQ(options.Language, "");
    EXPECT_EQ(options.Num, 0);
}

TEST(TIniOptionsTest, LoadFromFileCoversMissingEmptyBinaryAndHugeFiles) {
    test::TempDir dir;
    struct Case {
        std::filesystem::path file;
        std::string language;
        std::int32_t num;
    };
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary += static_cast<char>((i * 131) & 0xff);
    }
    // A missing file leaves everything as it was; an empty or noisy one gives the defaults.
    const Case cases[] = {{dir.file("Config.ini"), "", 0},
                          {dir.write("empty.ini", ""), "'zh-cn'", 5},
                          {dir.write("binary.ini", binary), "'zh-cn'", 5}};
    for (const Case& c : cases) {
        TIniOptions options;
        options.LoadFromFile(c.file);
        EXPECT_EQ(options.Language, c.language) << c.file;
        EXPECT_EQ(options.Num, c.num) << c.file;
    }

    std::string huge = "[setting]\nnum=100000\n[whois]\n";
    for (int i = 1; huge.size() < 10'000'000; ++i) {
        huge += std::to_string(i) + "=s" + std::to_string(i) + "+whois.example.net+No match for\n";
    }
    TIniOptions big;
    big.LoadFromFile(dir.write("huge.ini", huge));
    EXPECT_EQ(big.WhoisLines.size(), 100000U);
    // Saving it back renumbers and keeps it all, in time proportional to the file.
    big.SaveToFile(dir.file("huge.ini"));
    TIniOptions again;
    again.LoadFromFile(dir.file("huge.ini"));
    EXPECT_EQ(again.WhoisLines, big.WhoisLines);

    EXPECT_THROW(TIniOptions().LoadFromFile(dir.path()), IniReadError);
}

TEST(TIniOptionsTest, SaveRenumbersAcceptedLinesAndKeepsTheRest) {
    test::TempDir dir;
    const auto path = dir.write("Config.ini", "; my servers\r\n[setting]\r\nlanguage=zh-cn\r\nnum=5\r\n\r\n"
                                              "[whois]\r\n1=com+a+b\r\n2=cn\r\n3=net+c+d\r\n4=\r\n5=org+e+f\r\n"
                                              "[extra]\r\nkeep=me\r\n");
    TIniOptions options;
    options.LoadFromFile(path);
    options.Language = "en";
    options.SaveToFile(path);
    EXPECT_EQ(test::readFileBytes(path), "; my servers\r\n[setting]\r\nlanguage=en\r\nnum=3\r\n\r\n"
                                         "[whois]\r\n1=com+a+b\r\n2=net+c+d\r\n3=org+e+f\r\n4=\r\n5=org+e+f\r\n"
                                         "[extra]\r\nkeep=me\r\n");
    TIniOptions reread;
    reread.LoadFromFile(path);
    EXPECT_EQ(reread.Language, "en");
    EXPECT_EQ(reread.WhoisLines, options.WhoisLines);
}

TEST(TIniOptionsTest, SaveCreatesAMissingFile) {
    test::TempDir dir;
    TIniOptions options;
    options.Language = "zh-cn";
    options.WhoisLines = {"com+a+b"};
    options.SaveToFile(dir.file("Config.ini"));
    EXPECT_EQ(test::readFileBytes(dir.file("Config.ini")), "[setting]\nlanguage=zh-cn\nnum=1\n\n[whois]\n1=com+a+b\n");
}

TEST(TIniOptionsTest, VisibleTextChoiceIsStoredOnlyWhenUnticked) {
    test::TempDir dir;
    const auto path = dir.file("Config.ini");
    TIniOptions options;
    EXPECT_TRUE(options.VisibleTextOnly);
    options.VisibleTextOnly = false;
    options.SaveToFile(path);
    TIniOptions reread;
    reread.LoadFromFile(path);
    EXPECT_FALSE(reread.VisibleTextOnly);
    reread.VisibleTextOnly = true;
    reread.SaveToFile(path);
    EXPECT_EQ(test::readFileBytes(path), "[setting]\nlanguage=\nnum=0\nvisibletext=1\n\n[whois]\n");
    TIniOptions again;
    again.LoadFromFile(path);
    EXPECT_TRUE(again.VisibleTextOnly);
}

TEST(TIniOptionsTest, FailedSaveRaisesUnableToWriteAndLeavesTheFile) {
    test::TempDir dir;
    TIniOptions options;
    options.Language = "en";
    const auto insideAFile = dir.write("plain", "x") / "Config.ini";
    try {
        options.SaveToFile(insideAFile);
        FAIL();
    } catch (const IniWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + insideAFile.string());
    }
    // A folder where the file should be cannot be read, so it is not overwritten either.
    std::filesystem::create_directory(dir.file("Config.ini"));
    EXPECT_THROW(options.SaveToFile(dir.file("Config.ini")), IniWriteError);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("Config.ini")));
}

} // namespace
} // namespace cvt
