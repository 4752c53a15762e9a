#include "tests/support/FakeHttpServer.h"
#include "tests/support/FakeTlsServer.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt::test {
namespace {

const std::string kPage = "<html><head><meta charset=\"gbk\"><title>Tea &amp; more</title>"
                          "<style>body { font-family: serif }</style>"
                          "<script>function initAnalytics() { var x = 1; }</script></head>"
                          "<body><!-- nav --><p>Green&nbsp;tea &mdash; \xC2\xCC\xB2\xE8</p></body></html>";

std::string ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
}

ProgramResult cli(std::vector<std::string> args) {
    return runProgram({CORVANTIDE_CLI_PATH, std::move(args), "", ""});
}

// The page is served over TLS behind an http address that redirects to it.
class PageCommands : public ::testing::Test {
protected:
    PageCommands() : certificates(folder.path()), leaf(certificates.localhost()) {
        ::setenv("SSL_CERT_FILE", certificates.caFile().c_str(), 1);
    }
    ~PageCommands() override { ::unsetenv("SSL_CERT_FILE"); }

    TempDir folder;
    TestCertificates certificates;
    TestLeaf leaf;
};

TEST_F(PageCommands, FetchAndHarvestOverHttps) {
    FakeHttpServer backend({FakeHttpServer::respondEach({ok(kPage)}), FakeHttpServer::respondEach({ok(kPage)}),
                            FakeHttpServer::respondEach({ok(kPage)}), FakeHttpServer::respondEach({ok(kPage)})});
    FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());
    const std::string redirect =
        "HTTP/1.1 301 Moved Permanently\r\nLocation: " + tls.url("/page") + "\r\nContent-Length: 0\r\n\r\n";
    FakeHttpServer plain({FakeHttpServer::respondEach({redirect})});

    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"fetch", tls.url("/page")}, kPage},
        {{"harvest", plain.url("/")}, "Green\nmore\nTea\n"},
        {{"harvest", "--chinese", tls.url("/page")}, "\xE7\xBB\xBF\xE8\x8C\xB6\n"},
        {{"harvest", "--raw", tls.url("/page")},
         "1\namp\nbody\ncharset\nfamily\nfont\nfunction\ngbk\nGreen\nhead\nhtml\ninitAnalytics\nmdash\nmeta\nmore\nnav"
         "\n"
         "nbsp\np\nscript\nserif\nstyle\nTea\ntitle\nvar\nx\n"},
    };
    for (const auto& c : cases) {
        const ProgramResult result = cli(c.args);
        EXPECT_EQ(result.exitCode, 0) << c.args.back() << result.err;
        EXPECT_EQ(result.out, c.out) << c.args[1];
    }
}

TEST_F(PageCommands, UntrustedCertificateAndWrongOptionsFail) {
    const TestLeaf untrusted = certificates.issue({"untrusted", {"DNS:localhost"}, -1, 30, true});
    FakeHttpServer backend({FakeHttpServer::respond(ok(kPage))});
    FakeTlsServer tls(untrusted.certFile, untrusted.keyFile, backend.port());
    const ProgramResult fetched = cli({"fetch", tls.url()});
    EXPECT_EQ(fetched.exitCode, 1);
    EXPECT_EQ(fetched.err, "corvantide-cli fetch: TLS handshake with localhost failed: certificate verify failed "
                           "(self-signed certificate)\n");
    const ProgramResult both = cli({"harvest", "--raw", "--chinese", tls.url()});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_EQ(both.err, "corvantide-cli harvest: --raw excludes --chinese\n");
}

TEST_F(PageCommands, WhoisWithAnRdapBaseDoesOneLookup) {
    const std::string json = R"({"objectClassName":"domain"})";
    FakeHttpServer backend(
        {FakeHttpServer::respondEach({"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"}),
         FakeHttpServer::respondEach(
             {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(json.size()) + "\r\n\r\n" + json}),
         FakeHttpServer::respondEach({"HTTP/1.1 429 Too Many Requests\r\nRetry-After: 5\r\nContent-Length: 0\r\n\r\n"}),
         FakeHttpServer::respondEach({"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"})});
    FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());
    const std::string base = tls.url("/rdap/");
    // The scheme's letter case does not matter, as in Config.ini.
    const std::string upperBase = " HTTPS" + base.substr(base.find(':'));
    const struct {
        std::string host;
        int exitCode;
        std::string out;
    } cases[] = {
        {base, 0, "free: HTTP/1.1 404 Not Found\n"},
        {base, 0, "registered: HTTP/1.1 200 OK\n{\n  \"objectClassName\": \"domain\"\n}\n"},
        {base, 1, "failed: HTTP/1.1 429 Too Many Requests\nretry after: 5 s\n"},
        {upperBase, 0, "free: HTTP/1.1 404 Not Found\n"},
    };
    for (const auto& c : cases) {
        const ProgramResult result = cli({"whois", "--host", c.host, "abc.info"});
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(result.out, c.out) << c.host;
    }
    ASSERT_EQ(backend.requests().size(), 4u);
    EXPECT_EQ(backend.requests()[0].substr(0, 36), "GET /rdap/domain/abc.info HTTP/1.1\r\n");
}

} // namespace
} // namespace cvt::test
