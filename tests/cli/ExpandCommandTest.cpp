#include "tests/support/FakeWhoisServer.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

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

TEST(ExpandCommandTest, RefusalsGoToStandardErrorUsageErrorsWithStatusTwo) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"  "}, 1, "请填写查询组合，如[a-z]phone等组合！"},
        {{"ab[c"}, 1, "without a closing \"]\""},
        {{"[a-z][a-z][a-z][a-z][a-z][a-z]"}, 1, "308915776 names, more than the limit of 16777216"},
        {{}, 2, ""},
        {{"a", "b"}, 2, ""},
    };
    for (const auto& c : cases) {
        const ProgramResult result = expand(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(result.out, "") << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(result.err.empty());
    }
    const ProgramResult help = expand({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: corvantide-cli expand [OPTIONS] PATTERN"), std::string::npos);
}

// expand prints exactly the names a check of the same pattern asks; those it leaves out, as the
// search does, are counted on standard error.
TEST(ExpandCommandTest, ListsExactlyTheNamesASearchAsks) {
    struct Case {
        std::string pattern;
        std::string leftOut; // the note on standard error, "" for none
    };
    const std::vector<Case> cases = {
        {"[x\"a][b\"]", "left out 1 names holding control characters"},
        {"[a\x7f]x", "left out 1 names holding control characters"},
        {"[ab]x", ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const ProgramResult expanded = expand({c.pattern});
        EXPECT_EQ(expanded.exitCode, 0) << c.pattern << ": " << expanded.err;
        EXPECT_EQ(expanded.err.empty(), c.leftOut.empty()) << c.pattern << ": " << expanded.err;
        EXPECT_NE(expanded.err.find(c.leftOut), std::string::npos) << c.pattern << ": " << expanded.err;

        FakeWhoisServer server(FakeWhoisServer::reply("No match for it\r\n"));
        const std::string config =
            dir.write("test.ini", "[setting]\nlanguage=en\nnum=1\n[whois]\n1=com+" + server.hostField() + "+No match\n")
                .string();
        const ProgramResult checked =
            runProgram({CORVANTIDE_CLI_PATH, {"check", "--config", config, c.pattern}, "", ""});
        EXPECT_EQ(checked.exitCode, 0) << c.pattern << ": " << checked.err;
        server.stop(); // the last connection is recorded once its script has ended
        std::string asked;
        for (const std::string& query : server.queries()) {
            asked += query.substr(0, query.size() - std::string_view(".com\r\n").size()) + "\n";
        }
        EXPECT_EQ(expanded.out, asked) << c.pattern;
        EXPECT_FALSE(asked.empty()) << c.pattern;
    }
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
