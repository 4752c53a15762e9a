#include "core/chinese/GbkCodec.h"
#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt::test {
namespace {

ProgramResult run(std::vector<std::string> args, std::string input = "") {
    return runProgram({CORVANTIDE_CLI_PATH, std::move(args), "", std::move(input)});
}

TEST(PinyinCommandTest, WordsReadAsWordsUnlessByCharacter) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{"pinyin", "重庆", "音乐", "长大", "3D打印"}, "", "CHONGQING\nYINYUE\nZHANGDA\n3DDAYIN\n"},
        {{"pinyin", "--by-character", "重庆", "音乐", "长大"}, "", "ZHONGQING\nYINLE\nZHANGDA\n"},
        {{"words", "--page", "chinese", "--max", "9"}, "重庆\n会计\n", "CHONGQING\nKUAIJI\n"},
        {{"words", "--page", "chinese", "--by-character", "--max", "9"}, "重庆\n会计\n", "HUIJI\nZHONGQING\n"},
        {{"words", "--by-character", "--page=chinese", "--max", "9"}, "重庆\r\n", "ZHONGQING\n"},
        {{"pinyin"}, "重庆\n音乐\n", "CHONGQING\nYINYUE\n"},
        {{"pinyin", "--by-character", "-"}, "重庆\r\n", "ZHONGQING\n"},
        {{"words", "--page", "chinese", "--chinese-as", "idn"}, "重庆\n会计\n", "会计\n重庆\n"},
        {{"words", "--page", "chinese", "--idn"}, "重庆\n", "重庆\n"},
        {{"words", "--page", "chinese", "--chinese-as", "both", "--max", "9"}, "重庆\n", "CHONGQING\n重庆\n"},
    };
    for (const auto& c : cases) {
        const ProgramResult result = run(c.args, c.input);
        EXPECT_EQ(result.exitCode, 0) << c.args.back() << result.err;
        EXPECT_EQ(result.out, c.out) << c.args.back();
    }
}

TEST(PinyinCommandTest, ByCharacterNeedsSomethingToRead) {
    // check takes it only with --page.
    const ProgramResult check = run({"check", "--by-character", "ab"});
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_NE(check.err.find("--by-character need --page"), std::string::npos) << check.err;
    const ProgramResult both = run({"words", "--page", "chinese", "--idn", "--chinese-as", "both"}, "重庆\n");
    EXPECT_EQ(both.exitCode, 2) << "--idn is --chinese-as idn";
}

// GBK text is told from UTF-8 over the whole argument list or the whole standard input, also when
// a phrase on its own is valid UTF-8 (学习 in GBK); a UTF-8 text with GBK lines is read line by line.
TEST(PinyinCommandTest, GbkIsDecidedForTheWholeInput) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        std::string out;
        std::string err = "";
    };
    const std::string xuexi = gbk::utf8ToGbk("学习");
    const std::string mengjing = gbk::utf8ToGbk("梦境");
    const std::vector<Case> cases = {
        {"one GBK argument", {"pinyin", xuexi}, "", "XUEXI\n"},
        {"GBK arguments",
         {"pinyin", gbk::utf8ToGbk("唯一"), gbk::utf8ToGbk("围墙"), gbk::utf8ToGbk("一位")},
         "",
         "WEIYI\nWEIQIANG\nYIWEI\n"},
        {"UTF-8 arguments", {"pinyin", "学习", "梦境"}, "", "XUEXI\nMENGJING\n"},
        {"GBK lines on standard input",
         {"words", "--page", "chinese"},
         xuexi + "\n" + mengjing + "\n",
         "MENGJING\nXUEXI\n"},
        {"GBK lines in a UTF-8 text",
         {"words", "--page", "chinese"},
         "学习\n" + mengjing + "\n" + gbk::utf8ToGbk("谢谢") + "\n",
         "MENGJING\nXIEXIE\nXUEXI\n",
         "corvantide-cli words: warning: the text is UTF-8 but 2 lines are not; read as GBK\n"},
    };
    for (const Case& c : cases) {
        const ProgramResult result = runProgram({CORVANTIDE_CLI_PATH, c.args, "", c.input});
        EXPECT_EQ(result.exitCode, 0) << c.what << ": " << result.err;
        EXPECT_EQ(result.out, c.out) << c.what;
        EXPECT_EQ(result.err, c.err) << c.what;
    }
}

} // namespace
} // namespace cvt::test
