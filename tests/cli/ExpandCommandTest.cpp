#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt::test {
namespace {

ProgramResult expand(std::vector<std::string> args) {
    args.insert(args.begin(), "expand");
    return runProgram({CORVANTIDE_CLI_PATH, args, "", ""});
}

TEST(ExpandCommandTest, PrintsTheCandidatesOnePerLine) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    std::string aToZPhone;
    for (char c = 'a'; c <= 'z'; ++c) {
        aToZPhone += std::string(1, c) + "phone\n";
    }
    const std::vector<Case> cases = {
        {{"[a-z]phone"}, aToZPhone}, {{"[Ba]x[21]"}, "ax1\nax2\nBx1\nBx2\n"}, {{"--", "-a"}, ""}, {{"[]phone"}, ""},
        {{"[ a]b"}, "ab\nb\n"},
    };
    for (const auto& c : cases) {
        const ProgramResult result = expand(c.args);
        EXPECT_EQ(result.exitCode, 0) << c.args.back() << result.err;
        EXPECT_EQ(result.out, c.out) << c.args.back();
        EXPECT_EQ(result.err, "") << c.args.back();
    }
}

TEST(ExpandCommandTest, RefusedPatternsGoToStandardErrorWithStatusOne) {
    struct Case {
        std::string pattern;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"  ", "请填写查询组合，如[a-z]phone等组合！"},
        {"ab[c", "without a closing \"]\""},
        {"[a-z][a-z][a-z][a-z][a-z][a-z]", "308915776 names, more than the limit of 16777216"},
    };
    for (const auto& c : cases) {
        const ProgramResult result = expand({c.pattern});
        EXPECT_EQ(result.exitCode, 1) << c.pattern;
        EXPECT_EQ(result.out, "") << c.pattern;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
}

TEST(ExpandCommandTest, UsageErrorsAndHelp) {
    EXPECT_EQ(expand({}).exitCode, 2);
    EXPECT_EQ(expand({"a", "b"}).exitCode, 2);
    const ProgramResult help = expand({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: corvantide-cli expand PATTERN"), std::string::npos);
}

TEST(ExpandCommandTest, ThreeLetterPatternIsCompleteAndOrdered) {
    const ProgramResult result = expand({"[a-z][a-z][a-z]"});
    ASSERT_EQ(result.exitCode, 0);
    ASSERT_EQ(result.out.size(), 26U * 26U * 26U * 4U);
    EXPECT_EQ(result.out.substr(0, 8), "aaa\naab\n");
    EXPECT_EQ(result.out.substr(result.out.size() - 4), "zzz\n");
}

} // namespace
} // namespace cvt::test
