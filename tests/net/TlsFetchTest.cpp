#include "net/http/HttpExceptions.h"
#include "net/http/TNetHTTP.h"
#include "net/socket/NetExceptions.h"
#include "net/socket/SocketApi.h"
#include "tests/support/FakeHttpServer.h"
#include "tests/support/FakeTlsServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace cvt {
namespace {

using test::FakeHttpServer;
using test::FakeTlsServer;

const std::string kHello = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";

// A test CA trusted through SSL_CERT_FILE for the whole test.
class TlsFetchTest : public ::testing::Test {
protected:
    TlsFetchTest() : certificates(folder.path()) { ::setenv("SSL_CERT_FILE", certificates.caFile().c_str(), 1); }
    ~TlsFetchTest() override { ::unsetenv("SSL_CERT_FILE"); }

    test::TempDir folder;
    test::TestCertificates certificates;
};

TEST_F(TlsFetchTest, HttpsPageIsFetchedAndTheConnectionKeptAlive) {
    FakeHttpServer backend({FakeHttpServer::respondEach({kHello, kHello})});
    const test::TestLeaf leaf = certificates.localhost();
    FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());
    TNetHTTP client;
    EXPECT_EQ(client.Get(tls.url("/a")), "hello");
    EXPECT_EQ(client.Get(tls.url("/b")), "hello");
    EXPECT_EQ(tls.handshakes(), 1);
    ASSERT_EQ(backend.requests().size(), 2u);
    EXPECT_EQ(backend.requests()[1].substr(0, 8), "GET /b H");
    EXPECT_NE(backend.requests()[0].find("Host: localhost:" + std::to_string(tls.port()) + "\r\n"), std::string::npos);
}

// Every third send and receive is interrupted before it starts; counts the calls that got through.
class InterruptingSocketApi : public SocketApi {
public:
    ssize_t send(int fd, const void* data, size_t length, int flags) override {
        if (++m_calls % 3 == 0) {
            errno = EINTR;
            return -1;
        }
        ++sends;
        return SocketApi::send(fd, data, length, flags);
    }
    ssize_t recv(int fd, void* data, size_t length, int flags) override {
        if (++m_calls % 3 == 0) {
            errno = EINTR;
            return -1;
        }
        ++receives;
        return SocketApi::recv(fd, data, length, flags);
    }
    int sends = 0;
    int receives = 0;

private:
    int m_calls = 0;
};

TEST_F(TlsFetchTest, TlsBytesGoThroughTheSocketSeamAndSurviveInterruptions) {
    const std::string big(300000, 'b');
    FakeHttpServer backend({FakeHttpServer::respond("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(big.size()) +
                                                    "\r\n\r\n" + big)});
    const test::TestLeaf leaf = certificates.localhost();
    FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());
    InterruptingSocketApi api;
    TNetHTTP client;
    client.SetSocketApi(api);
    EXPECT_EQ(client.Get(tls.url("/big")), big);
    EXPECT_GT(api.sends, 1);
    EXPECT_GT(api.receives, 1);
}

TEST_F(TlsFetchTest, HandshakeFailuresSayWhy) {
    struct Case {
        const char* what;
        test::TestLeafRequest leaf;
        std::string message;
        std::string host = "localhost";
    };
    const Case cases[] = {
        {"untrusted",
         {"selfsigned", {"DNS:localhost"}, -1, 30, true},
         "TLS handshake with localhost failed: certificate verify failed (self-signed certificate)"},
        {"wrong name",
         {"othername", {"DNS:other.example"}, -1, 30, false},
         "TLS handshake with localhost failed: certificate verify failed (hostname mismatch)"},
        {"expired",
         {"expired", {"DNS:localhost"}, -30, -1, false},
         "TLS handshake with localhost failed: certificate verify failed (certificate has expired)"},
        // The subject's common name is not where a name is looked for.
        {"name only in the common name",
         {"localhost", {}, -1, 30, false},
         "TLS handshake with localhost failed: certificate verify failed (hostname mismatch)"},
        {"wrong address",
         {"otheraddress", {"DNS:localhost", "IP:127.0.0.2"}, -1, 30, false},
         "TLS handshake with 127.0.0.1 failed: certificate verify failed (IP address mismatch)",
         "127.0.0.1"},
    };
    for (const Case& c : cases) {
        FakeHttpServer backend({FakeHttpServer::respond(kHello)});
        const test::TestLeaf leaf = certificates.issue(c.leaf);
        FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());
        TNetHTTP client;
        client.SetReadTimeout(60000); // only bounds a hang: the handshake fails at once
        try {
            client.Get("https://" + c.host + ":" + std::to_string(tls.port()) + "/");
            ADD_FAILURE() << c.what << ": fetched";
        } catch (const ENetTLSError& error) {
            EXPECT_EQ(error.what(), c.message) << c.what;
        }
        EXPECT_TRUE(backend.requests().empty()) << c.what;
    }
}

TEST_F(TlsFetchTest, BodyUpToTheCloseNeedsACloseNotify) {
    struct Case {
        const char* what;
        std::string response;
        bool closeNotify;
        std::string outcome; // the body, or the failure's message
    };
    const std::string toClose = "HTTP/1.1 200 OK\r\n\r\nall of it";
    const Case cases[] = {
        {"to the close, with close_notify", toClose, true, "all of it"},
        {"to the close, cut bare", toClose, false,
         "The reply ended without the server's TLS close_notify, so it may be cut short."},
        {"counted, cut bare after the body", kHello, false, "hello"},
    };
    const test::TestLeaf leaf = certificates.localhost();
    for (const Case& c : cases) {
        FakeHttpServer backend({FakeHttpServer::respondAndClose(c.response)});
        FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());
        tls.setCloseNotify(c.closeNotify);
        TNetHTTP client;
        std::string outcome;
        try {
            outcome = client.Get(tls.url());
        } catch (const ENetHTTPMalformedReply& error) {
            outcome = error.what();
        }
        EXPECT_EQ(outcome, c.outcome) << c.what;
    }
}

TEST_F(TlsFetchTest, PlainOrSilentServerOnATlsPortFailsWithoutHanging) {
    // A plain HTTP server answers the handshake with a plain-text error page.
    FakeHttpServer plain({[](test::FakeHttpConnection& connection) {
        connection.send("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        connection.close();
    }});
    TNetHTTP client;
    try {
        client.Get("https://127.0.0.1:" + std::to_string(plain.port()) + "/");
        ADD_FAILURE() << "fetched";
    } catch (const ENetTLSError& error) {
        EXPECT_EQ(std::string(error.what()), "TLS handshake with 127.0.0.1 failed: wrong version number");
    }

    // A server that never answers: the connect limit ends the handshake.
    FakeHttpServer silent({[](test::FakeHttpConnection& connection) { connection.waitForClientClose(); }});
    client.SetReadTimeout(300);
    try {
        client.Get("https://127.0.0.1:" + std::to_string(silent.port()) + "/");
        ADD_FAILURE() << "fetched";
    } catch (const ENetTLSError& error) {
        EXPECT_EQ(std::string(error.what()), "TLS handshake with 127.0.0.1 failed: no answer within 300 ms");
    }
}

TEST_F(TlsFetchTest, CancelEndsAHandshakeThatWaits) {
    FakeHttpServer silent({[](test::FakeHttpConnection& connection) { connection.waitForClientClose(); }});
    TNetHTTP client;
    // Cancelled once the server has taken the connection, so the handshake is under way; a minute
    // bounds a hang.
    std::thread canceller([&] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (silent.connectionCount() == 0 && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        client.Cancel();
    });
    EXPECT_THROW(client.Get("https://127.0.0.1:" + std::to_string(silent.port()) + "/"), ENetOperationCancelled);
    canceller.join();
}

} // namespace
} // namespace cvt
