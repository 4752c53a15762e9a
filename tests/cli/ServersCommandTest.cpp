#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt::test {
namespace {

ProgramResult servers(std::vector<std::string> args) {
    args.insert(args.begin(), "servers");
    return runProgram({CORVANTIDE_CLI_PATH, args, "", ""});
}

TEST(ServersCommandTest, PrintsTheShippedTableWithTheFirstThreeTicked) {
    const ProgramResult result = servers({"--config", std::string(CORVANTIDE_DATA_DIR) + "/Config.ini"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.substr(0, result.out.find("\n \t")), "x\tcom\twhois.verisign-grs.com\tNo match for\n"
                                                              "x\tnet\twhois.verisign-grs.com\tNo match for\n"
                                                              "x\torg\twhois.pir.org\tDomain not found.");
    EXPECT_NE(result.out.find("\n \tjp\twhois.jprs.jp\tNo match!!\n"), std::string::npos);
}

TEST(ServersCommandTest, WarnsAboutLinesWithTooFewFieldsNamingTheKey) {
    TempDir dir;
    const auto path = dir.write("Config.ini", "[setting]\r\nnum=4\r\n[whois]\r\n1=cnxxxxx\r\n2=com + host + mark\r\n"
                                              "3=net+host2+mark2+refused\r\n4=tiny\r\n");
    const ProgramResult result = servers({"--config", path.string()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "x\tcom\thost\t mark\nx\tnet\thost2\tmark2\n");
    EXPECT_NE(result.err.find("key 1 (cnxxxxx)"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("key 4"), std::string::npos) << "short keys are skipped silently";
}

TEST(ServersCommandTest, ErrorsAndUsage) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const std::vector<Case> cases = {
        {{"--config", dir.file("missing.ini").string()}, 1},
        {{"--config", dir.path().string()}, 1},
        {{"--config="}, 2},
        {{"--config"}, 2},
        {{"extra"}, 2},
        {{"--help"}, 0},
        // Without the option the file beside the program is read: the build copies the shipped one there.
        {{}, 0},
    };
    for (const auto& c : cases) {
        const ProgramResult result = servers(c.args);
        const std::string what = c.args.empty() ? "(no option)" : c.args.back();
        EXPECT_EQ(result.exitCode, c.exitCode) << what << result.err;
        if (c.exitCode != 0) {
            EXPECT_FALSE(result.err.empty()) << what;
        } else if (c.args.empty()) {
            EXPECT_EQ(result.out.substr(0, 6), "x\tcom\t");
            // The file in use is named on standard error, on one line ending in Config.ini.
            EXPECT_EQ(result.err.rfind("corvantide-cli servers: settings from /", 0), 0u) << result.err;
            EXPECT_TRUE(result.err.ends_with("/Config.ini\n")) << result.err;
        }
    }
}

} // namespace
} // namespace cvt::test
