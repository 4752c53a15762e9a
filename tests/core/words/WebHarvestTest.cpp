#include "core/words/WebHarvest.h"

#include "net/http/HttpExceptions.h"
#include "net/http/TNetHTTP.h"
#include "net/socket/NetExceptions.h"
#include "tests/support/FakeHttpServer.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace cvt {
namespace {

using test::FakeHttpServer;

TEST(WebHarvest, HarvestsMaximalWordRuns) {
    struct Case {
        const char* name;
        std::string body;
        std::string words;
    };
    const Case cases[] = {
        {"green tea", "<p>Green tea, green TEA</p>", "Green\r\np\r\ntea\r\n"},
        {"apostrophe", "don't", "don\r\nt\r\n"},
        {"hyphen", "e-mail", "e\r\nmail\r\n"},
        {"NUL ends the text", std::string("alpha beta\0gamma delta", 22), "alpha\r\nbeta\r\n"},
        {"NUL first", std::string("\0word", 5), ""},
        {"no word bytes", "<!-- -- --> ,.;: \r\n", ""},
        {"empty", "", ""},
        {"digits and underscore", "x_1 9 _ a.b", "9\r\n_\r\na\r\nb\r\nx_1\r\n"},
        // Bytes above 127 are never word bytes, so a Latin run between Chinese characters stands alone.
        {"Chinese", "\344\270\255abc\346\226\207 caf\xC3\xA9", "abc\r\ncaf\r\n"},
        {"markup", "<a href=\"http://x.com/a?b=c&amp;d\">", "a\r\namp\r\nb\r\nc\r\ncom\r\nd\r\nhref\r\nhttp\r\nx\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractWords(c.body), c.words) << c.name;
    }
}

TEST(WebHarvest, ListFormMatchesTheTextForm) {
    const NameList words = ExtractWordList("Zeta alpha ALPHA beta");
    EXPECT_EQ(words.toVector(), (std::vector<std::string>{"alpha", "beta", "Zeta"}));
}

TEST(WebHarvest, FetchPageReturnsTheBodyByteForByte) {
    const std::string body = std::string("<p>Green tea, green TEA</p>\r\n\x80\xff", 31) + std::string(1, '\0') + "end";
    FakeHttpServer server({FakeHttpServer::respond("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                                                   "\r\n\r\n" + body)});
    TNetHTTP client;
    setUpHarvestClient(client);
    const std::string page = FetchPage(server.url("/"), client);
    EXPECT_EQ(page, body);
    EXPECT_EQ(ExtractWords(page), "Green\r\np\r\ntea\r\n");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_NE(server.requests()[0].find("\r\nUser-Agent: Mozilla/4.0 (compatible;MSIE 6.0; Windows98;Maxthon)\r\n"),
              std::string::npos);
}

// The whole fetch is limited, however the server holds it: silent after the request, or trickling
// the body in with gaps (a per-wait limit alone would never end the second).
TEST(WebHarvest, AFetchEndsAtItsWholeLimit) {
    TNetHTTP defaults;
    setUpHarvestClient(defaults);
    EXPECT_EQ(defaults.ConnectTimeout(), kHarvestConnectTimeoutMs);
    EXPECT_EQ(defaults.FetchTimeout(), kHarvestFetchTimeoutMs);

    const test::FakeHttpScript trickle = [](test::FakeHttpConnection& connection) {
        connection.readRequest();
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n");
        for (int i = 0; i < 20 && connection.isOpen(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            connection.send("x");
        }
    };
    for (const auto& script : {FakeHttpServer::silent(), trickle}) {
        FakeHttpServer server({script});
        TNetHTTP client;
        setUpHarvestClient(client);
        client.SetFetchTimeout(300);
        EXPECT_THROW(FetchPage(server.url("/"), client), ENetReadTimeout);
    }
}

TEST(WebHarvest, FailedFetchGivesNoBody) {
    FakeHttpServer server({FakeHttpServer::respond("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone")});
    TNetHTTP client;
    EXPECT_THROW(FetchPage(server.url("/"), client), ENetHTTPProtocolException);
}

} // namespace
} // namespace cvt
