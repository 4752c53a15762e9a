#include "tests/support/FakeWhoisServer.h"
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

// calibrate derives a server's text and keeps it beside Config.ini, where servers shows it; the
// catalogue in the working folder gives the suffixes of --all and of the groups.
TEST(ServersCommandTest, CalibrateKeepsTheTextThatServersShows) {
    FakeWhoisServer registry(FakeWhoisServer::answer([](std::string_view query) {
        return query == "nic.com" ? std::string("Domain Name: NIC.COM\r\n")
                                  : "No match for \"" + std::string(query) + "\".\r\n";
    }));
    TempDir dir;
    const std::string nowhere = "127.0.0.1:" + std::to_string(closedLoopbackPort());
    const auto config = dir.write("Config.ini", "[setting]\r\nnum=2\r\n[whois]\r\n1=com+" + registry.hostField() +
                                                    "+No match for\r\n2=net+" + nowhere + "+x\r\n");
    dir.write("suffixes.tsv", "shop\tshop\tgeneric\thttps://rdap.example/\t\t\t\n"
                              "wh\twh\tcountry\t\twhois.example\t\t\n");
    dir.write("popular-suffixes.txt", "shop\ncom\n");
    dir.write("whois-marks.tsv", "");
    const auto run = [&](std::vector<std::string> args) {
        args.push_back("--config");
        args.push_back(config.string());
        return runProgram({CORVANTIDE_CLI_PATH, args, dir.path().string(), ""});
    };

    const ProgramResult calibrated = run({"calibrate", "com", "@popular"});
    EXPECT_EQ(calibrated.exitCode, 0) << calibrated.err;
    EXPECT_EQ(calibrated.out, "com\t" + registry.hostField() +
                                  "\tNo match for\tDomain Name\nshop\thttps://rdap.example/\tasked "
                                  "over RDAP: no text to calibrate\n");
    const ProgramResult shown = run({"servers"});
    const std::string date = shown.out.substr(shown.out.find("calibrated ") + 11, 20);
    EXPECT_EQ(shown.out, "x\tcom\t" + registry.hostField() + "\tNo match for\tcalibrated " + date +
                             ": No match for\tregistered: Domain Name\nx\tnet\t" + nowhere + "\tx\n")
        << shown.err;
    const ProgramResult all = run({"servers", "--all"});
    EXPECT_NE(all.out.find("\n \tshop\tRDAP\thttps://rdap.example/\t\t\n \twh\tWHOIS calibrated\twhois.example\t\t"
                           "not calibrated yet\n"),
              std::string::npos)
        << all.out;

    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* err;
    };
    for (const Case& c : std::vector<Case>{{{"calibrate", "net"}, 1, ""},
                                           {{"calibrate", "zz"}, 2, "unknown suffix 'zz'"},
                                           {{"calibrate"}, 2, "SUFFIX"},
                                           {{"calibrate", "--timeout", "0", "com"}, 2, "at least 1 second"}}) {
        const ProgramResult result = run(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args.back() << result.err;
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    }
    EXPECT_NE(run({"calibrate", "net"}).out.find("\tnot calibrated: the server could not be asked"), std::string::npos);
}

} // namespace
} // namespace cvt::test
