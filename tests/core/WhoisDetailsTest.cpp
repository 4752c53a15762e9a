#include "core/WhoisDetails.h"

#include "core/NetWhoisLookup.h"
#include "core/WhoisLookup.h"
#include "tests/support/FakeWhoisServer.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <stdexcept>

namespace cvt {
namespace {

const std::string kLine = "======================================";

struct Exchange {
    std::string server;
    std::string query;
    bool operator==(const Exchange&) const = default;
};

// A server table and a WHOIS side that answers "reply for <query>" or fails for chosen queries.
struct FakeWhois {
    std::map<std::string, std::string> servers{
        {"com", "whois.verisign-grs.com"}, {"net", "whois.net.test:4343"}, {"org", "whois.pir.org"}};
    std::vector<std::string> failing;
    std::vector<Exchange> asked;

    WhoisDetailsRequest request(std::string caption, std::vector<std::string> cells, std::vector<std::string> columns) {
        WhoisDetailsRequest r;
        r.rowCaption = std::move(caption);
        r.cells = std::move(cells);
        r.columns = std::move(columns);
        r.findServer = [this](const std::string& suffix) -> std::optional<std::string> {
            auto found = servers.find(suffix);
            return found == servers.end() ? std::nullopt : std::optional(found->second);
        };
        r.exchange = [this](const std::string& server, const std::string& query) {
            asked.push_back({server, query});
            if (std::find(failing.begin(), failing.end(), query) != failing.end()) {
                throw std::runtime_error("connection reset");
            }
            return "reply for " + query;
        };
        return r;
    }
};

struct DetailsCase {
    const char* title;
    std::vector<std::string> cells;
    std::vector<std::string> columns;
    std::vector<std::string> failing;
    std::vector<Exchange> expectedExchanges;
    std::string expectedText;
    std::size_t expectedAsked;
};

TEST(WhoisDetailsTest, AsksEveryCellsSuffixInOrderAndJoinsTheReplies) {
    const std::vector<std::string> three = {"Domain Name", "com", "net", "org"};
    const DetailsCase cases[] = {
        {"every cell asked whatever its mark",
         {"☆", "★", "-"},
         three,
         {},
         {{"whois.verisign-grs.com", "phone.com"},
          {"whois.net.test:4343", "phone.net"},
          {"whois.pir.org", "phone.org"}},
         "reply for phone.com\r\n" + kLine + "\r\nreply for phone.net\r\n" + kLine + "\r\nreply for phone.org\r\n" +
             kLine + "\r\n",
         3u},
        {"a short row asks only its own cells",
         {"☆"},
         three,
         {},
         {{"whois.verisign-grs.com", "phone.com"}},
         "reply for phone.com\r\n" + kLine + "\r\n",
         1u},
        {"cells without a column are skipped",
         {"☆", "★", "-", "☆"},
         {"Domain Name", "com", "net"},
         {},
         {{"whois.verisign-grs.com", "phone.com"}, {"whois.net.test:4343", "phone.net"}},
         "reply for phone.com\r\n" + kLine + "\r\nreply for phone.net\r\n" + kLine + "\r\n",
         2u},
        {"a row without cells gives an empty text", {}, three, {}, {}, "", 0u},
        {"a failed exchange gives the failure text and the rest is still asked",
         {"", ""},
         three,
         {"phone.com"},
         {{"whois.verisign-grs.com", "phone.com"}, {"whois.net.test:4343", "phone.net"}},
         "Error WSAconnectionReset\r\n" + kLine + "\r\nreply for phone.net\r\n" + kLine + "\r\n",
         2u},
        {"a suffix without a server entry fails without an exchange",
         {"-", "☆"},
         {"Domain Name", "info", "com"},
         {},
         {{"whois.verisign-grs.com", "phone.com"}},
         "Error WSAconnectionReset\r\n" + kLine + "\r\nreply for phone.com\r\n" + kLine + "\r\n",
         2u},
    };
    for (const DetailsCase& c : cases) {
        SCOPED_TRACE(c.title);
        FakeWhois whois;
        whois.failing = c.failing;
        const WhoisDetailsResult result = WhoisDetails(whois.request("phone", c.cells, c.columns));
        EXPECT_EQ(whois.asked, c.expectedExchanges);
        EXPECT_EQ(result.text, c.expectedText);
        EXPECT_FALSE(result.cancelled);
        EXPECT_EQ(result.asked, c.expectedAsked);
    }
}

TEST(WhoisDetailsTest, CancelStopsBeforeTheNextExchangeAndProgressCountsEachCell) {
    FakeWhois whois;
    std::atomic<bool> cancel{false};
    WhoisDetailsRequest request = whois.request("phone", {"☆", "★", "-"}, {"Domain Name", "com", "net", "org"});
    request.cancel = &cancel;
    std::vector<std::pair<std::size_t, std::size_t>> progress;
    request.progress = [&](std::size_t done, std::size_t total) {
        progress.emplace_back(done, total);
        if (done == 2) {
            cancel = true;
        }
    };

    const WhoisDetailsResult result = WhoisDetails(request);

    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.asked, 2u);
    EXPECT_EQ(whois.asked.size(), 2u);
    EXPECT_EQ(progress, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 3}, {2, 3}}));
}

class ScriptedLookup : public WhoisLookup {
public:
    std::string lookup(const std::string&, const std::string& query) override {
        if (query == "bad.com") {
            throw std::runtime_error("reset");
        }
        return "ok";
    }
    void closeConnection() override { ++closed; }
    int closed = 0;
};

TEST(WhoisDetailsTest, ExchangeThroughClosesTheConnectionAfterAFailureOnly) {
    ScriptedLookup lookup;
    auto exchange = exchangeThrough(lookup);
    EXPECT_EQ(exchange("h", "good.com"), "ok");
    EXPECT_EQ(lookup.closed, 0);
    EXPECT_THROW(exchange("h", "bad.com"), std::runtime_error);
    EXPECT_EQ(lookup.closed, 1);
}

TEST(WhoisDetailsTest, RealExchangesAgainstFakeServersOneResetting) {
    test::FakeWhoisServer good(test::FakeWhoisServer::answer(
        [](std::string_view query) { return "Domain: " + std::string(query) + "\r\nNo match\r\n"; }));
    test::FakeWhoisServer bad(test::FakeWhoisServer::replyThenReset(""));
    NetWhoisLookup lookup;

    WhoisDetailsRequest request;
    request.rowCaption = "phone";
    request.cells = {"☆", "-", "★"};
    request.columns = {"Domain Name", "com", "net", "org"};
    request.findServer = [&](const std::string& suffix) -> std::optional<std::string> {
        return suffix == "net" ? bad.hostField() : good.hostField();
    };
    request.exchange = exchangeThrough(lookup);

    const WhoisDetailsResult result = WhoisDetails(request);

    // The good server echoes each query, so its replies show what was asked.
    EXPECT_EQ(result.text, "Domain: phone.com\r\nNo match\r\n\r\n" + kLine + "\r\nError WSAconnectionReset\r\n" +
                               kLine + "\r\nDomain: phone.org\r\nNo match\r\n\r\n" + kLine + "\r\n");
}

} // namespace
} // namespace cvt
