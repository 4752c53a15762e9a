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
    };
    for (const auto& c : cases) {
        const ProgramResult result = run(c.args, c.input);
        EXPECT_EQ(result.exitCode, 0) << c.args.back() << result.err;
        EXPECT_EQ(result.out, c.out) << c.args.back();
    }
}

TEST(PinyinCommandTest, ByCharacterNeedsSomethingToRead) {
    const ProgramResult alone = run({"pinyin", "--by-character"});
    EXPECT_EQ(alone.exitCode, 2);
    EXPECT_EQ(alone.err, "corvantide-cli pinyin: TEXT is required\n");
    // check takes it only with --page.
    const ProgramResult check = run({"check", "--by-character", "ab"});
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_NE(check.err.find("--by-character need --page"), std::string::npos) << check.err;
}

} // namespace
} // namespace cvt::test
