#include "net/rdap/RdapClient.h"

#include "tests/support/FakeHttpServer.h"
#include "tests/support/FakeTlsServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace cvt {
namespace {

using namespace std::chrono_literals;
using test::FakeHttpServer;

std::string reply(const std::string& status, const std::string& body, const std::string& extra = "") {
    return "HTTP/1.1 " + status + "\r\nContent-Type: application/rdap+json\r\n" + extra +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// 2026-01-01 00:00:00 UTC.
const auto kNow = std::chrono::sys_days(std::chrono::year(2026) / 1 / 1);

TEST(RdapClient, StatusesGiveMarksOverOneKeptAliveConnection) {
    test::TempDir folder;
    test::TestCertificates certificates(folder.path());
    ::setenv("SSL_CERT_FILE", certificates.caFile().c_str(), 1);
    const test::TestLeaf leaf = certificates.localhost();

    struct Case {
        const char* what;
        std::string response;
        RdapMark mark;
        std::string reason;
        std::optional<std::chrono::seconds> retryAfter;
        std::string details;
    };
    const std::vector<Case> cases = {
        {"free",
         reply("404 Not Found", R"({"errorCode":404})"),
         RdapMark::Free,
         "HTTP/1.1 404 Not Found",
         {},
         "{\n  \"errorCode\": 404\n}"},
        {"registered",
         reply("200 OK", R"({"objectClassName":"domain","ldhName":"ABC.INFO","nameservers":[{"a":[]},1.50]})"),
         RdapMark::Registered,
         "HTTP/1.1 200 OK",
         {},
         "{\n  \"objectClassName\": \"domain\",\n  \"ldhName\": \"ABC.INFO\",\n  \"nameservers\": [\n    {\n      "
         "\"a\": []\n    },\n    1.50\n  ]\n}"},
        {"free without a body",
         reply("404 Not Found", " \r\n"),
         RdapMark::Free,
         "HTTP/1.1 404 Not Found",
         {},
         "HTTP/1.1 404 Not Found"},
        {"404 page of a web server",
         reply("404 Not Found", "<html>Not Found</html>"),
         RdapMark::Failed,
         "HTTP/1.1 404 Not Found (not an RDAP reply)",
         {},
         "HTTP/1.1 404 Not Found"},
        {"200 with an error code",
         reply("200 OK", R"({"objectClassName":"domain","errorCode":500})"),
         RdapMark::Failed,
         "HTTP/1.1 200 OK (not an RDAP reply)",
         {},
         "{\n  \"objectClassName\": \"domain\",\n  \"errorCode\": 500\n}"},
        {"200 with another object",
         reply("200 OK", R"({"objectClassName":"entity"})"),
         RdapMark::Failed,
         "HTTP/1.1 200 OK (not an RDAP reply)",
         {},
         "{\n  \"objectClassName\": \"entity\"\n}"},
        {"200 with a list",
         reply("200 OK", R"([{"objectClassName":"domain"}])"),
         RdapMark::Failed,
         "HTTP/1.1 200 OK (not an RDAP reply)",
         {},
         "[\n  {\n    \"objectClassName\": \"domain\"\n  }\n]"},
        {"rate limited", reply("429 Too Many Requests", "", "Retry-After: 30\r\n"), RdapMark::Failed,
         "HTTP/1.1 429 Too Many Requests", 30s, "HTTP/1.1 429 Too Many Requests"},
        {"unavailable until a date",
         reply("503 Service Unavailable", "busy", "Retry-After: Thu, 01 Jan 2026 00:02:00 GMT\r\n"), RdapMark::Failed,
         "HTTP/1.1 503 Service Unavailable", 120s, "HTTP/1.1 503 Service Unavailable"},
        {"server error",
         reply("500 Internal Server Error", "oops"),
         RdapMark::Failed,
         "HTTP/1.1 500 Internal Server Error",
         {},
         "HTTP/1.1 500 Internal Server Error"},
        // The name is compared without letter case or a final dot; a reply about another name says
        // nothing about the one asked.
        {"registered, the name written otherwise",
         reply("200 OK", R"({"objectClassName":"domain","ldhName":"Abc.Info."})"),
         RdapMark::Registered,
         "HTTP/1.1 200 OK",
         {},
         "{\n  \"objectClassName\": \"domain\",\n  \"ldhName\": \"Abc.Info.\"\n}"},
        {"200 about another name",
         reply("200 OK", R"({"objectClassName":"domain","ldhName":"xabc.info"})"),
         RdapMark::Failed,
         "HTTP/1.1 200 OK (the reply is about another name)",
         {},
         "{\n  \"objectClassName\": \"domain\",\n  \"ldhName\": \"xabc.info\"\n}"},
        {"garbage JSON",
         reply("200 OK", "<html>portal</html>"),
         RdapMark::Failed,
         "HTTP/1.1 200 OK (not an RDAP reply)",
         {},
         "HTTP/1.1 200 OK"},
    };
    std::vector<std::string> responses;
    for (const Case& c : cases) {
        responses.push_back(c.response);
    }
    // A redirect to another base, then free.
    responses.push_back("HTTP/1.1 302 Found\r\nLocation: /other/domain/abc.info\r\nContent-Length: 0\r\n\r\n");
    responses.push_back(reply("404 Not Found", ""));
    FakeHttpServer backend({FakeHttpServer::respondEach(responses)});
    test::FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());

    RdapClient client;
    client.SetClock([] { return kNow; });
    const std::string base = tls.url("/rdap"); // the missing "/" is added
    for (const Case& c : cases) {
        const RdapOutcome outcome = client.lookup(base, "abc.info");
        EXPECT_EQ(outcome.mark, c.mark) << c.what;
        EXPECT_EQ(outcome.reason, c.reason) << c.what;
        EXPECT_EQ(outcome.retryAfter, c.retryAfter) << c.what;
        EXPECT_EQ(outcome.details, c.details) << c.what;
    }
    const RdapOutcome redirected = client.lookup(base + "/", "abc.info");
    EXPECT_EQ(redirected.mark, RdapMark::Free);
    EXPECT_EQ(redirected.details, "HTTP/1.1 404 Not Found");

    EXPECT_EQ(tls.handshakes(), 1);
    const std::vector<std::string> requests = backend.requests();
    ASSERT_EQ(requests.size(), cases.size() + 2);
    EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")), "GET /rdap/domain/abc.info HTTP/1.1");
    EXPECT_NE(requests[0].find("\r\nAccept: application/rdap+json\r\n"), std::string::npos);
    EXPECT_EQ(requests.back().substr(0, requests.back().find("\r\n")), "GET /other/domain/abc.info HTTP/1.1");

    // Only host names go into the address; nothing else is sent.
    for (const char* name : {"ab#cd.info", "a/../../x.info", "ab?x=1.info", "ab cd.info", "ab%2f.info", "ab..info",
                             "\xe4\xb8\xad.info", "ab.info/", ""}) {
        const RdapOutcome refused = client.lookup(base, name);
        EXPECT_EQ(refused.mark, RdapMark::Failed) << name;
        EXPECT_EQ(refused.reason, "not a host name") << name;
    }
    EXPECT_EQ(backend.requests().size(), requests.size());

    // A server that no longer answers is a failure, not an exception.
    tls.stop();
    client.SetReadTimeout(200);
    const RdapOutcome unreachable = client.lookup(base, "abc.info");
    EXPECT_EQ(unreachable.mark, RdapMark::Failed);
    EXPECT_EQ(unreachable.reason, "TLS handshake with localhost failed: no answer within 200 ms");
    ::unsetenv("SSL_CERT_FILE");
}

// Whatever a server sends, the details stay within a few times its size and never pass the limit.
TEST(RdapClient, DetailsStayBoundedWhateverTheReply) {
    const auto nested = [](std::size_t depth, const std::string& inside) {
        return std::string(depth, '[') + inside + std::string(depth, ']');
    };
    std::string zeros = "0";
    for (int i = 0; i < 20000; ++i) {
        zeros += ",0";
    }
    const std::string longString = "\"" + std::string(3 << 20, 'x') + "\"";
    struct Case {
        const char* what;
        int status;
        std::string body;
        RdapMark mark;
        bool compact; // the details are the body without its blanks
        bool cut;
    };
    const std::vector<Case> cases = {
        {"12,000 brackets deep", 404, nested(12000, ""), RdapMark::Failed, false, false},
        {"as deep as allowed", 404, nested(kMaxRdapNesting, ""), RdapMark::Free, false, false},
        {"one deeper", 404, nested(kMaxRdapNesting + 1, ""), RdapMark::Failed, false, false},
        {"many short elements far in", 200, R"({"objectClassName":"domain","x":)" + nested(40, zeros) + "}",
         RdapMark::Registered, true, false},
        {"a string of 3 MiB", 200, R"({"objectClassName":"domain","x":)" + longString + "}", RdapMark::Registered,
         false, true},
    };
    for (const Case& c : cases) {
        const RdapOutcome outcome = rdapOutcomeOf({c.status, "HTTP/1.1 " + std::to_string(c.status), c.body, {}}, kNow);
        EXPECT_EQ(outcome.mark, c.mark) << c.what;
        EXPECT_LE(outcome.details.size(), std::min(kMaxRdapDetails, 3 * c.body.size() + 4096)) << c.what;
        if (c.compact) {
            EXPECT_EQ(outcome.details, c.body) << c.what;
        }
        EXPECT_EQ(outcome.details.ends_with("[cut: the reply is longer]"), c.cut) << c.what;
    }
}

TEST(RdapClient, RetryAfterValues) {
    const struct {
        std::string value;
        std::optional<std::chrono::seconds> wait;
    } cases[] = {
        {"120", 120s},
        {" 0 ", 0s},
        {"99999999999999999999", 86400s},
        {"Thu, 01 Jan 2026 00:00:10 GMT", 10s},
        {"Wed, 31 Dec 2025 23:00:00 GMT", 0s},
        // Years beyond the reach of the nanosecond clock.
        {"Thu, 01 Jan 4052 00:02:00 GMT", 86400s},
        {"Mon, 01 Jan 0001 00:00:00 GMT", 0s},
        {"Thu, 31 Feb 2026 00:00:10 GMT", std::nullopt},
        {"Thursday, 01-Jan-26 00:00:10 GMT", std::nullopt},
        {"-5", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseRetryAfter(c.value, kNow), c.wait) << c.value;
    }
}

} // namespace
} // namespace cvt
