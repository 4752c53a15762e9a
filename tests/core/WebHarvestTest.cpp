#include "core/WebHarvest.h"

#include "net/HttpExceptions.h"
#include "net/TNetHTTP.h"
#include "tests/support/FakeHttpServer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using test::FakeHttpServer;

struct HarvestCase {
    const char* name;
    std::string body;
    std::string words;
};

class ExtractWordsTest : public ::testing::TestWithParam<HarvestCase> {};

TEST_P(ExtractWordsTest, HarvestsMaximalWordRuns) {
    EXPECT_EQ(ExtractWords(GetParam().body), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, ExtractWordsTest,
    ::testing::Values(HarvestCase{"GreenTea", "<p>Green tea, green TEA</p>", "Green\r\np\r\ntea\r\n"},
                      HarvestCase{"Apostrophe", "don't", "don\r\nt\r\n"},
                      HarvestCase{"Hyphen", "e-mail", "e\r\nmail\r\n"},
                      HarvestCase{"Nul", std::string("alpha beta\0gamma delta", 22), "alpha\r\nbeta\r\n"},
                      HarvestCase{"NulFirst", std::string("\0word", 5), ""},
                      HarvestCase{"NoWordBytes", "<!-- -- --> ,.;: \r\n", ""}, HarvestCase{"Empty", "", ""},
                      HarvestCase{"DigitsAndUnderscore", "x_1 9 _ a.b", "9\r\n_\r\na\r\nb\r\nx_1\r\n"},
                      // Bytes above 127 are never word bytes, so a Latin run between Chinese
                      // characters stands alone.
                      HarvestCase{"Chinese",
                                  "\xE4\xB8\xAD"
                                  "abc"
                                  "\xE6\x96\x87 caf\xC3\xA9",
                                  "abc\r\ncaf\r\n"},
                      HarvestCase{"Markup", "<a href=\"http://x.com/a?b=c&amp;d\">",
                                  "a\r\namp\r\nb\r\nc\r\ncom\r\nd\r\nhref\r\nhttp\r\nx\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

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

TEST(WebHarvest, FailedFetchGivesNoBody) {
    FakeHttpServer server({FakeHttpServer::respond("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone")});
    TNetHTTP client;
    EXPECT_THROW(FetchPage(server.url("/"), client), ENetHTTPProtocolException);
}

} // namespace
} // namespace cvt
