// check asks each catalogue suffix the way the catalogue says, against local servers standing in
// for the registries: a catalogue file in the working folder points at 127.0.0.1 ports.
#include "tests/support/FakeHttpServer.h"
#include "tests/support/FakeTlsServer.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt::test {
namespace {

std::string rdapReply(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: application/rdap+json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
}

// An RDAP registry for every base under one host: ax.* is free, every other name registered; a
// base under /down/ answers 503.
void rdapRegistry(FakeHttpConnection& connection) {
    for (std::string request = connection.readRequest(); !request.empty(); request = connection.readRequest()) {
        const std::string path = request.substr(4, request.find(" HTTP/") - 4);
        if (path.starts_with("/down/")) {
            connection.send(rdapReply("503 Service Unavailable", ""));
        } else if (path.find("/domain/ax.") != std::string::npos) {
            connection.send(rdapReply("404 Not Found", R"({"errorCode":404})"));
        } else {
            connection.send(rdapReply("200 OK", R"({"objectClassName":"domain"})"));
        }
    }
}

// A WHOIS registry that knows the names in known and answers the others with free.
FakeWhoisScript whoisRegistry(std::vector<std::string> known, std::string free) {
    return FakeWhoisServer::answer([known = std::move(known), free = std::move(free)](std::string_view query) {
        if (std::find(known.begin(), known.end(), query) != known.end()) {
            return "Domain Name: " + std::string(query) + "\r\nRegistrar: Example\r\n";
        }
        return free + "\r\n";
    });
}

std::vector<std::string> paths(const FakeHttpServer& server) {
    std::vector<std::string> seen;
    for (const std::string& request : server.requests()) {
        seen.push_back(request.substr(4, request.find(" HTTP/") - 4));
    }
    std::sort(seen.begin(), seen.end());
    return seen;
}

TEST(CheckSuffixesTest, EachSuffixIsAskedTheWayTheCatalogueSays) {
    TempDir dir;
    TestCertificates certificates(dir.path());
    const TestLeaf leaf = certificates.localhost();
    FakeHttpServer backend(std::vector<FakeHttpScript>(8, rdapRegistry));
    FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());
    FakeWhoisServer cnnic(whoisRegistry({"bx.com.cn"}, "No matching record."));
    FakeWhoisServer ripn(whoisRegistry({"nic.ru", "bx.ru"}, "No entries found for the selected source(s)."));
    FakeWhoisServer verisign(whoisRegistry({"bx.net"}, "No match for domain."));

    dir.write("suffixes.tsv",
              "shop\tshop\tgeneric\t" + tls.url("/shop/") + "\twhois.nic.shop\t\tnic.shop\n" + "me\tme\tcountry\t" +
                  tls.url("/me/") + "\t\t\t\n" + "fr\tfr\tcountry\t" + tls.url("/fr/") + "\twhois.nic.fr\t\t\n" +
                  "co.uk\tco.uk\tcountry\t" + tls.url("/uk/") + "\twhois.nic.uk\t\t\n" + "com.cn\tcom.cn\tcountry\t\t" +
                  cnnic.hostField() + "\t\t\n" + "ru\tru\tcountry\t\t" + ripn.hostField() + "\t\tnic.ru\n");
    dir.write("whois-marks.tsv", cnnic.hostField() + "\tNo matching record.\n");
    dir.write("popular-suffixes.txt", "shop\n");
    const auto config = dir.write("Config.ini", "[setting]\nnum=1\n[whois]\n1=net+" + tls.url("/down/") + "+" +
                                                    verisign.hostField() + "+No match for\n");
    const auto check = [&](const std::string& suffixes, const std::string& format = "tsv") {
        return runProgram({"/usr/bin/env",
                           {"SSL_CERT_FILE=" + certificates.caFile(), "HOME=" + dir.path().string(),
                            "XDG_CONFIG_HOME=" + dir.file("xdg").string(), CORVANTIDE_CLI_PATH, "check", "--config",
                            config.string(), "-q", "-f", format, "--suffix", suffixes, "[a-b]x"},
                           dir.path().string(),
                           ""});
    };

    const ProgramResult result = check("shop,me,fr,co.uk,com.cn,ru,net");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Domain Name\tnet\tshop\tme\tfr\tco.uk\tcom.cn\tru\n"
                          "ax\t☆\t☆\t☆\t☆\t☆\t☆\t☆\n"
                          "bx\t★\t★\t★\t★\t★\t★\t★\n")
        << result.err;
    backend.stop();
    EXPECT_EQ(paths(backend), (std::vector<std::string>{
                                  "/down/domain/ax.net", "/down/domain/bx.net", "/fr/domain/ax.fr", "/fr/domain/bx.fr",
                                  "/me/domain/ax.me", "/me/domain/bx.me", "/shop/domain/ax.shop",
                                  "/shop/domain/bx.shop", "/uk/domain/ax.co.uk", "/uk/domain/bx.co.uk"}));
    cnnic.stop();
    EXPECT_EQ(cnnic.queries(), (std::vector<std::string>{"ax.com.cn\r\n", "bx.com.cn\r\n"}));
    verisign.stop();
    EXPECT_EQ(verisign.queries(), (std::vector<std::string>{"ax.net\r\n", "bx.net\r\n"}));
    // ru's server is calibrated first (two random names and nic.ru), on the lane, then asked.
    ripn.stop();
    const std::vector<std::string> asked = ripn.queries();
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[1], "nic.ru\r\n");
    EXPECT_EQ((std::vector<std::string>(asked.begin() + 3, asked.end())),
              (std::vector<std::string>{"ax.ru\r\n", "bx.ru\r\n"}));
    const std::string kept = readFileBytes(dir.file("whois-texts.tsv"));
    EXPECT_NE(kept.find(ripn.hostField() + "\t"), std::string::npos) << kept;
    EXPECT_NE(kept.find("\tNo entries found for the selected source(s).\tDomain Name\n"), std::string::npos) << kept;

    // RDAP and WHOIS both out of reach: failed with both reasons.
    const std::string closed = std::to_string(closedLoopbackPort());
    dir.write("Config.ini", "[setting]\nnum=1\n[whois]\n1=org+https://localhost:" + closed + "/+127.0.0.1:" + closed +
                                "+No match for\n");
    const ProgramResult down = check("org", "jsonl");
    EXPECT_EQ(down.exitCode, 3) << down.err;
    EXPECT_EQ(down.out.rfind(R"({"name":"ax","marks":{"org":"failed"},"reasons":{"org":"RDAP: )", 0), 0u) << down.out;
    // Each part in plain words.
    EXPECT_NE(down.out.find("; WHOIS: connect: Connection refused"), std::string::npos) << down.out;
}

// A catalogue suffix beyond ASCII is listed in Unicode, is chosen by either form or by its group, and
// reaches its registry as the A-label.
TEST(CheckSuffixesTest, AnInternationalSuffixIsShownInUnicodeAndAskedByItsALabel) {
    TempDir dir;
    FakeWhoisServer cnnic(whoisRegistry({"bx.xn--fiqs8s"}, "No matching record."));
    dir.write("suffixes.tsv", "中国\txn--fiqs8s\tchinese\t\t" + cnnic.hostField() + "\t\t\n" +
                                  "com.cn\tcom.cn\tcountry\t\t" + cnnic.hostField() + "\t\t\n");
    dir.write("whois-marks.tsv", cnnic.hostField() + "\tNo matching record.\n");
    const auto config = dir.write("Config.ini", "[setting]\nnum=1\n[whois]\n1=net+whois.example+No match for\n");
    const auto cli = [&](std::vector<std::string> arguments) {
        std::vector<std::string> command = {"HOME=" + dir.path().string(),
                                            "XDG_CONFIG_HOME=" + dir.file("xdg").string(), CORVANTIDE_CLI_PATH};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return runProgram({"/usr/bin/env", command, dir.path().string(), ""});
    };

    const ProgramResult servers = cli({"servers", "--config", config.string(), "--all"});
    EXPECT_EQ(servers.exitCode, 0) << servers.err;
    EXPECT_NE(servers.out.find("\t中国\t"), std::string::npos) << servers.out;
    EXPECT_EQ(servers.out.find("xn--"), std::string::npos) << servers.out;

    for (const std::string suffix : {"中国", "xn--fiqs8s", "XN--FIQS8S", "@chinese"}) {
        const ProgramResult result =
            cli({"check", "--config", config.string(), "--fresh", "-q", "-f", "tsv", "--suffix", suffix, "[a-b]x"});
        EXPECT_EQ(result.exitCode, 0) << suffix << ": " << result.err;
        EXPECT_EQ(result.out, "Domain Name\t中国\nax\t☆\nbx\t★\n") << suffix << ": " << result.err;
    }
    cnnic.stop();
    const std::vector<std::string> once = {"ax.xn--fiqs8s\r\n", "bx.xn--fiqs8s\r\n"};
    std::vector<std::string> expected;
    for (int run = 0; run < 4; ++run) {
        expected.insert(expected.end(), once.begin(), once.end());
    }
    EXPECT_EQ(cnnic.queries(), expected);
}

} // namespace
} // namespace cvt::test
