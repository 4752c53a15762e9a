#include "net/http/HttpExceptions.h"
#include "net/http/TNetHTTP.h"
#include "tests/support/FakeHttpServer.h"
#include "tests/support/FakeTlsServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using test::FakeHttpServer;

std::string redirect(int code, const std::string& location) {
    return "HTTP/1.1 " + std::to_string(code) + " Moved\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n";
}

const std::string kPage = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\npage";

// The request targets the server saw, in order.
std::vector<std::string> targets(const FakeHttpServer& server) {
    std::vector<std::string> result;
    for (const std::string& request : server.requests()) {
        const auto start = request.find(' ') + 1;
        result.push_back(request.substr(start, request.find(' ', start) - start));
    }
    return result;
}

void follow(TNetHTTP& client) {
    client.SetHandleRedirects(true);
    client.SetRedirectMaximum(5);
}

std::string withPort(std::string text, const std::string& port) {
    for (auto at = text.find("{port}"); at != std::string::npos; at = text.find("{port}")) {
        text.replace(at, 6, port);
    }
    return text;
}

TEST(HttpRedirect, ChainsAreFollowedUpToTheLimit) {
    struct Case {
        const char* what;
        std::vector<std::string> responses; // "{port}" stands for the server's port
        std::string outcome;                // the body, or the failure message
        std::vector<std::string> targets;
    };
    const Case cases[] = {
        {"every followed code, relative and absolute",
         {redirect(301, "/b"), redirect(302, "c"), redirect(303, "http://127.0.0.1:{port}/d"), redirect(307, "/e"),
          redirect(308, "/f"), kPage},
         "page",
         {"/a", "/b", "/c", "/d", "/e", "/f"}},
        {"six hops",
         {redirect(301, "/1"), redirect(301, "/2"), redirect(301, "/3"), redirect(301, "/4"), redirect(301, "/5"),
          redirect(301, "/6")},
         "Too many redirects (last: http://127.0.0.1:{port}/6)",
         {"/a", "/1", "/2", "/3", "/4", "/5"}},
        {"a loop",
         {redirect(302, "/b"), redirect(302, "/a"), redirect(302, "/b"), redirect(302, "/a"), redirect(302, "/b"),
          redirect(302, "/a")},
         "Too many redirects (last: http://127.0.0.1:{port}/a)",
         {"/a", "/b", "/a", "/b", "/a", "/b"}},
        {"not a followed code", {redirect(300, "/b")}, "HTTP/1.1 300 Moved", {"/a"}},
        // Only a scheme at the start makes a Location absolute.
        {"an address in the query of a relative Location",
         {redirect(302, "/ok?return=http://other/"), kPage},
         "page",
         {"/a", "/ok?return=http://other/"}},
        {"a file Location",
         {redirect(302, "file:///etc/passwd")},
         "Redirect to file:///etc/passwd refused: only http and https are followed",
         {"/a"}},
        {"a gopher Location",
         {redirect(301, "gopher://127.0.0.1:{port}/x")},
         "Redirect to gopher://127.0.0.1:{port}/x refused: only http and https are followed",
         {"/a"}},
        {"a scheme in any letter case", {redirect(301, "HTTP://127.0.0.1:{port}/up"), kPage}, "page", {"/a", "/up"}},
    };
    for (const Case& c : cases) {
        // The responses are written once the port is known, before the first request comes.
        std::vector<std::string> responses;
        FakeHttpServer chain({[&responses](test::FakeHttpConnection& connection) {
            FakeHttpServer::respondEach(responses)(connection);
        }});
        const std::string port = std::to_string(chain.port());
        for (const std::string& response : c.responses) {
            responses.push_back(withPort(response, port));
        }
        TNetHTTP client;
        follow(client);
        std::string outcome;
        try {
            outcome = client.Get("http://127.0.0.1:" + port + "/a");
        } catch (const std::exception& error) {
            outcome = error.what();
        }
        const std::string expected = withPort(c.outcome, port);
        EXPECT_EQ(outcome, expected) << c.what;
        EXPECT_EQ(targets(chain), c.targets) << c.what;
    }
}

TEST(HttpRedirect, NotFollowedByDefault) {
    FakeHttpServer server({FakeHttpServer::respondEach({redirect(301, "/b"), kPage})});
    TNetHTTP client;
    EXPECT_THROW(client.Get(server.url("/a")), ENetHTTPProtocolException);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(HttpRedirect, CredentialsStayWithTheirHost) {
    FakeHttpServer server(
        {FakeHttpServer::respondEach({redirect(302, "/same"), kPage}), FakeHttpServer::respondEach({kPage})});
    const std::string port = std::to_string(server.port());
    FakeHttpServer other({FakeHttpServer::respondEach({redirect(302, "http://localhost:" + port + "/")})});
    TNetHTTP client;
    follow(client);
    client.Request().basicAuthentication = true;
    EXPECT_EQ(client.Get("http://user:pw@127.0.0.1:" + port + "/a"), "page");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_NE(server.requests()[1].find("Authorization: Basic dXNlcjpwdw=="), std::string::npos);

    TNetHTTP second;
    follow(second);
    second.Request().basicAuthentication = true;
    EXPECT_EQ(second.Get("http://user:pw@127.0.0.1:" + std::to_string(other.port()) + "/a"), "page");
    ASSERT_EQ(server.requests().size(), 3u);
    EXPECT_EQ(server.requests()[2].find("Authorization"), std::string::npos);
}

TEST(HttpRedirect, HttpToHttpsIsFollowedButNotBack) {
    test::TempDir folder;
    test::TestCertificates certificates(folder.path());
    ::setenv("SSL_CERT_FILE", certificates.caFile().c_str(), 1);
    const test::TestLeaf leaf = certificates.localhost();

    FakeHttpServer secureBackend({FakeHttpServer::respondEach({kPage, redirect(301, "http://localhost/plain")})});
    test::FakeTlsServer tls(leaf.certFile, leaf.keyFile, secureBackend.port());
    FakeHttpServer plain({FakeHttpServer::respondEach({redirect(301, tls.url("/secure"))})});
    TNetHTTP client;
    follow(client);
    EXPECT_EQ(client.Get(plain.url("/")), "page");
    try {
        client.Get(tls.url("/again"));
        ADD_FAILURE() << "followed to http";
    } catch (const ENetHTTPRedirectRefused& error) {
        EXPECT_EQ(std::string(error.what()), "Redirect from https to http refused: http://localhost/plain");
    }
    ::unsetenv("SSL_CERT_FILE");
}

} // namespace
} // namespace cvt
