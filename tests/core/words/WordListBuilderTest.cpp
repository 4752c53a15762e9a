#include "core/words/WordListBuilder.h"

#include "core/chinese/GbkCodec.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace cvt {
namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

WordListRequest english(std::vector<std::string> lines, std::string minimum = "4", std::string maximum = "8") {
    WordListRequest request;
    request.page = WordPage::English;
    request.lines = std::move(lines);
    request.minimum = std::move(minimum);
    request.maximum = std::move(maximum);
    return request;
}

WordListRequest chinese(std::vector<std::string> lines, std::string minimum = "4", std::string maximum = "8") {
    WordListRequest request = english(std::move(lines), std::move(minimum), std::move(maximum));
    request.page = WordPage::Chinese;
    return request;
}

WordListRequest withAffixes(WordListRequest request, std::string prefix, std::string postfix) {
    request.prefix = std::move(prefix);
    request.postfix = std::move(postfix);
    return request;
}

Names build(WordListRequest request) {
    return WordListBuilder(std::move(request)).build().toVector();
}

TEST(WordListBuilder, BuildsTheNamesOfThePage) {
    struct Case {
        const char* name;
        WordListRequest request;
        Names expected;
    };
    const Case cases[] = {
        {"initial English page", english({"abend", "abide", "ability", "able"}), {"abend", "abide", "ability", "able"}},
        {"initial Chinese page", chinese({"梦境", "萝卜", "东方"}), {"DONGFANG", "LUOBO", "MENGJING"}},
        {"affixes do not count", withAffixes(english({"able"}, "4", "4"), "my", "hub"), {"myablehub"}},
        {"affixes are trimmed", withAffixes(english({"able"}), " \tmy ", "hub\r\n"), {"myablehub"}},
        {"dots removed", english({"a.b.c.d", "...."}, "0", "8"), {"abcd"}},
        {"a line with a space is dropped", english({"two words", "tab\tword"}, "0", "100"), {"tab", "word"}},
        {"case duplicates keep the first", english({"Able", "able", "ABLE"}), {"Able"}},
        {"sorted without regard to case",
         english({"delta", "Bravo", "alpha", "Charlie"}, "1", "9"),
         {"alpha", "Bravo", "Charlie", "delta"}},
        {"minimum above maximum", english({"abend", "able"}, "6", "5"), {}},
        {"empty memo", english({}), {}},
        {"empty lines add nothing", english({"", ""}, "0", "8"), {}},
        {"empty lines with a prefix collapse", withAffixes(english({"", "", ""}, "0", "8"), "x", ""), {"x"}},
        {"lengths count UTF-8 bytes", english({"梦境", "网站名"}, "6", "6"), {"梦境"}},
        {"bounds are inclusive", english({"abc", "abcd", "abcdefgh", "abcdefghi"}), {"abcd", "abcdefgh"}},
        {"limits are trimmed", english({"abcd"}, " 4\t", "\r\n8 "), {"abcd"}},
        {"signed limits", english({"abcd", ""}, "-2147483648", "+4"), {"abcd"}},
        {"no trimming of the words", english({"\tabcd", "abc\t"}, "5", "5"), {"abcd"}},
        {"Chinese page: no dots or spaces to test", chinese({"梦.境", "中 国"}, "8", "8"), {"MENGJING", "ZHONGGUO"}},
        {"Chinese page: length of the pinyin", chinese({"中", "梦", "东方"}, "5", "5"), {"ZHONG"}},
        {"Chinese page: GBK lines", chinese({"\xC3\xCE\xBE\xB3"s}), {"MENGJING"}},
        {"Chinese page with affixes", withAffixes(chinese({"东方"}), "my", "-1"), {"myDONGFANG-1"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(build(c.request), c.expected) << c.name;
    }
}

TEST(WordListBuilder, InvalidLimits) {
    struct Case {
        const char* name;
        WordListRequest request;
        const char* message; // nullptr: no failure, no names
    };
    const Case cases[] = {
        {"empty minimum", english({"abcd"}, "", "8"), "'' is not a valid integer value"},
        {"blank minimum", english({"abcd"}, " \t", "8"), "'' is not a valid integer value"},
        {"letters", english({"abcd"}, "four", "8"), "'four' is not a valid integer value"},
        {"trailing garbage", english({"abcd"}, "4x", "8"), "'4x' is not a valid integer value"},
        {"inner blank", english({"abcd"}, "4 4", "8"), "'4 4' is not a valid integer value"},
        {"hexadecimal", english({"abcd"}, "0x4", "8"), "'0x4' is not a valid integer value"},
        {"two signs", english({"abcd"}, "+-4", "8"), "'+-4' is not a valid integer value"},
        {"past 32 bits", english({"abcd"}, "2147483648", "8"), "'2147483648' is not a valid integer value"},
        {"below 32 bits", english({"abcd"}, "-2147483649", "8"), "'-2147483649' is not a valid integer value"},
        {"huge", english({"abcd"}, "99999999999999999999999", "8"),
         "'99999999999999999999999' is not a valid integer value"},
        {"invalid maximum once a word reaches the minimum", english({"ab", "abcd"}, "4", "eight"),
         "'eight' is not a valid integer value"},
        {"maximum read before the space test", english({"ab cd"}, "1", "x"), "'x' is not a valid integer value"},
        {"invalid maximum unnoticed below the minimum", english({"ab", "abc"}, "4", "eight"), nullptr},
        {"invalid limits unnoticed without lines", english({}, "", ""), nullptr},
        {"Chinese page", chinese({"梦境"}, "4", ""), "'' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        WordListBuilder builder(c.request);
        if (c.message == nullptr) {
            EXPECT_TRUE(builder.build().empty()) << c.name;
            continue;
        }
        try {
            builder.build();
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), c.message) << c.name;
        }
    }
}

WordListRequest dictionary(DictionaryKind kind, const test::TempDir& dir, std::string minimum = "4",
                           std::string maximum = "8") {
    WordListRequest request = english({"ignored"}, std::move(minimum), std::move(maximum));
    request.page = WordPage::Dictionary;
    request.dictionary = kind;
    request.dictionaryFolder = dir.path();
    return request;
}

TEST(WordListBuilder, DictionaryPage) {
    struct Case {
        const char* name;
        DictionaryKind kind;
        std::string content;
        std::string prefix;
        std::string postfix;
        std::string maximum;
        Names expected;
    };
    const Case cases[] = {
        {"blanks count and split the entry", DictionaryKind::English, "ab cd\n", "", "", "8", {"ab", "cd"}},
        {"affixes on a split entry", DictionaryKind::English, "ab cd\n", "x", "y", "8", {"cdy", "xab"}},
        {"a trailing blank counts", DictionaryKind::English, "apple \nmango\n", "", "", "5", {"mango"}},
        {"English entries keep their dots", DictionaryKind::English, "a.b.\n", "", "", "8", {"a.b."}},
        {"Chinese entries in pinyin", DictionaryKind::Chinese, "梦境\r\n东方\n", "", "", "8", {"DONGFANG", "MENGJING"}},
        {"Chinese entries in GBK", DictionaryKind::Chinese, "\xC3\xCE\xBE\xB3\r\n"s, "", "", "8", {"MENGJING"}},
        {"only the chosen file", DictionaryKind::Chinese, "", "", "", "8", {}},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const std::string other = c.kind == DictionaryKind::English ? "zh-cn.dct" : "en.dct";
        dir.write(std::string(DictionaryFile::fileName(c.kind)), c.content);
        dir.write(other, "other\nwrong\n");
        EXPECT_EQ(build(withAffixes(dictionary(c.kind, dir, "4", c.maximum), c.prefix, c.postfix)), c.expected)
            << c.name;
    }
}

// The encoding is decided for the whole memo or file: a GBK line that is also valid UTF-8 on its
// own (学习) follows the rest of the text.
TEST(WordListBuilder, GbkTextIsDecidedAsAWhole) {
    const std::string xuexi = gbk::utf8ToGbk("学习");
    const std::string mengjing = gbk::utf8ToGbk("梦境");
    EXPECT_EQ(build(chinese({xuexi, mengjing})), (Names{"MENGJING", "XUEXI"}));
    EXPECT_EQ(build(chinese({xuexi})), Names{"XUEXI"});

    test::TempDir dir;
    dir.write("zh-cn.dct", xuexi + "\r\n" + mengjing + "\r\n");
    EXPECT_EQ(build(dictionary(DictionaryKind::Chinese, dir)), (Names{"MENGJING", "XUEXI"}));
}

// The shipped Chinese dictionary gives the same names in UTF-8 and converted to GBK.
TEST(WordListBuilder, ShippedChineseDictionaryInGbk) {
    const std::vector<std::string> entries = DictionaryFile(DictionaryKind::Chinese, CORVANTIDE_DATA_DIR).readEntries();
    std::string gbkText;
    for (const std::string& entry : entries) {
        gbkText += gbk::utf8ToGbk(entry) + "\r\n";
    }
    test::TempDir dir;
    dir.write("zh-cn.dct", gbkText);
    for (const PinyinReading reading : {PinyinReading::ByCharacter, PinyinReading::ByPhrase}) {
        WordListRequest utf8Request = dictionary(DictionaryKind::Chinese, dir, "1", "255");
        utf8Request.dictionaryFolder = CORVANTIDE_DATA_DIR;
        utf8Request.reading = reading;
        const Names fromUtf8 = build(utf8Request);
        if (reading == PinyinReading::ByCharacter) {
            EXPECT_EQ(fromUtf8.size(), 8872u);
        }
        WordListRequest gbkRequest = dictionary(DictionaryKind::Chinese, dir, "1", "255");
        gbkRequest.reading = reading;
        EXPECT_EQ(build(gbkRequest), fromUtf8);
    }
}

TEST(WordListBuilder, ChineseReadsWordsUnlessByCharacter) {
    struct Case {
        PinyinReading reading;
        Names expected;
    };
    const Case cases[] = {
        {PinyinReading::ByPhrase, {"CHONGQING", "KUAIJI", "YINHANG", "YINYUE"}},
        {PinyinReading::ByCharacter, {"HUIJI", "YINHANG", "YINLE", "ZHONGQING"}},
    };
    for (const auto& c : cases) {
        WordListRequest page = chinese({"重庆", "音乐", "会计", "银行"}, "4", "9");
        page.reading = c.reading;
        EXPECT_EQ(build(page), c.expected) << "Chinese page";
        test::TempDir dir;
        dir.write("zh-cn.dct", "重庆\r\n音乐\n会计\n银行");
        WordListRequest file = dictionary(DictionaryKind::Chinese, dir, "4", "9");
        file.reading = c.reading;
        EXPECT_EQ(build(file), c.expected) << "Chinese dictionary";
    }
}

// Pinyin, the Chinese name itself, or both, from the page and the dictionary, in UTF-8 and GBK.
TEST(WordListBuilder, ChinesePhrasesBecomeWhatTheChoiceSays) {
    struct Case {
        ChineseForm form;
        Names expected;
    };
    const Case cases[] = {
        {ChineseForm::Pinyin, {"CHONGQING", "YINYUE"}},
        {ChineseForm::Idn, {"重庆", "音乐"}},
        {ChineseForm::Both, {"CHONGQING", "YINYUE", "重庆", "音乐"}},
    };
    for (const auto& c : cases) {
        for (const bool inGbk : {false, true}) {
            const auto encoded = [inGbk](const std::string& text) { return inGbk ? gbk::utf8ToGbk(text) : text; };
            WordListRequest page = chinese({encoded("重庆"), encoded(" 音乐 ")}, "4", "9");
            page.chineseAs = c.form;
            EXPECT_EQ(build(page), c.expected) << "Chinese page, GBK " << inGbk;
            test::TempDir dir;
            dir.write("zh-cn.dct", encoded("重庆\r\n音乐\n"));
            WordListRequest file = dictionary(DictionaryKind::Chinese, dir, "4", "9");
            file.chineseAs = c.form;
            EXPECT_EQ(build(file), c.expected) << "Chinese dictionary, GBK " << inGbk;
        }
    }
}

TEST(WordListBuilder, MissingDictionaryFailsTheBuild) {
    test::TempDir dir;
    dir.write("en.dct", "abcdef\n"); // the other kind's file does not stand in
    try {
        build(dictionary(DictionaryKind::Chinese, dir));
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "字典文件zh-cn.dct不存在！");
    }
}

TEST(WordListBuilder, RebuildStartsAfresh) {
    test::TempDir dir;
    dir.write("en.dct", "first\n");
    WordListBuilder builder(dictionary(DictionaryKind::English, dir));
    EXPECT_EQ(builder.build().toVector(), Names{"first"});
    dir.write("en.dct", "second\n"); // edits take effect at the next build
    EXPECT_EQ(builder.build().toVector(), Names{"second"});
}

TEST(WordListBuilder, SplitMemoLines) {
    struct Case {
        std::string text;
        Names expected;
    };
    const Case cases[] = {
        {"", {}},
        {"abend\nabide", {"abend", "abide"}},
        {"abend\r\nabide\r\n", {"abend", "abide"}},
        {"a\rb\r", {"a", "b"}},
        {"\n\n", {"", ""}},
        {"a\n\r\nb", {"a", "", "b"}},
        {" x \t", {" x \t"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WordListBuilder::splitMemoLines(c.text), c.expected) << testing::PrintToString(c.text);
    }
}

} // namespace
} // namespace cvt
