#include "core/query/WhoisDetails.h"

#include "core/query/CellLookupSet.h"
#include "core/query/NetWhoisLookup.h"
#include "core/query/WhoisCellLookup.h"
#include "core/query/WhoisLookup.h"
#include "net/rdap/RdapClient.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/MarkGlyphs.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <stdexcept>

namespace cvt {
namespace {

const std::string kLine = "======================================";

// The details text: each reply followed by a line break and the separator line.
std::string joined(const std::vector<std::string>& replies) {
    std::string text;
    for (const std::string& reply : replies) {
        text += reply + "\r\n" + kLine + "\r\n";
    }
    return text;
}

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
        r.cells = marksOf(cells);
        r.columns = std::move(columns);
        r.findServer = [this](const std::string& suffix) -> std::optional<ServerEntry> {
            auto found = servers.find(suffix);
            return found == servers.end() ? std::nullopt : std::optional(ServerEntry{suffix, found->second, {}, {}});
        };
        r.exchange = [this](const ServerEntry& server, const std::string& query) {
            asked.push_back({server.host, query});
            if (std::find(failing.begin(), failing.end(), query) != failing.end()) {
                throw std::runtime_error("connection reset");
            }
            return "reply for " + query;
        };
        return r;
    }
};

TEST(WhoisDetailsTest, AsksEveryCellsSuffixInOrderAndJoinsTheReplies) {
    struct Case {
        const char* title;
        std::vector<std::string> cells;
        std::vector<std::string> columns;
        std::vector<std::string> failing;
        std::vector<std::string> queries; // each sent to its suffix's server
        std::vector<std::string> replies; // one per cell given a text, asked or not
    };
    const std::vector<std::string> three = {"Domain Name", "com", "net", "org"};
    const std::string fail = "Error WSAconnectionReset";
    const Case cases[] = {
        {"every cell asked whatever its mark",
         {"☆", "★", "-"},
         three,
         {},
         {"phone.com", "phone.net", "phone.org"},
         {"reply for phone.com", "reply for phone.net", "reply for phone.org"}},
        {"a short row asks only its own cells", {"☆"}, three, {}, {"phone.com"}, {"reply for phone.com"}},
        {"cells without a column are skipped",
         {"☆", "★", "-", "☆"},
         {"Domain Name", "com", "net"},
         {},
         {"phone.com", "phone.net"},
         {"reply for phone.com", "reply for phone.net"}},
        {"a row without cells gives an empty text", {}, three, {}, {}, {}},
        {"a failed exchange gives the failure text and the rest is still asked",
         {"", ""},
         three,
         {"phone.com"},
         {"phone.com", "phone.net"},
         {fail + "\r\nconnection reset", "reply for phone.net"}},
        {"a suffix without a server entry fails without an exchange",
         {"-", "☆"},
         {"Domain Name", "info", "com"},
         {},
         {"phone.com"},
         {fail, "reply for phone.com"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        FakeWhois whois;
        whois.failing = c.failing;
        const WhoisDetailsResult result = WhoisDetails(whois.request("phone", c.cells, c.columns));
        std::vector<Exchange> expected;
        for (const std::string& query : c.queries) {
            expected.push_back({whois.servers.at(query.substr(query.find('.') + 1)), query});
        }
        EXPECT_EQ(whois.asked, expected);
        EXPECT_EQ(result.text, joined(c.replies));
        EXPECT_FALSE(result.cancelled);
        EXPECT_EQ(result.asked, c.replies.size());
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

TEST(WhoisDetailsTest, AWhoisReplyClosesTheConnectionAfterAFailureOnly) {
    auto owned = std::make_unique<ScriptedLookup>();
    const ScriptedLookup& lookup = *owned;
    WhoisCellLookup whois(std::move(owned));
    EXPECT_EQ(whois.reply(ServerEntry{"com", "h", {}, {}}, "good.com"), "ok");
    EXPECT_EQ(lookup.closed, 0);
    EXPECT_THROW(whois.reply(ServerEntry{"com", "h", {}, {}}, "bad.com"), std::runtime_error);
    EXPECT_EQ(lookup.closed, 1);
}

TEST(WhoisDetailsTest, RealExchangesAgainstFakeServersOneResetting) {
    test::FakeWhoisServer good(test::FakeWhoisServer::answer(
        [](std::string_view query) { return "Domain: " + std::string(query) + "\r\nNo match\r\n"; }));
    test::FakeWhoisServer bad(test::FakeWhoisServer::replyThenReset(""));

    WhoisDetailsRequest request;
    request.rowCaption = "phone";
    request.cells = {Mark::Free, Mark::Failed, Mark::Registered};
    request.columns = {"Domain Name", "com", "net", "org"};
    request.findServer = [&](const std::string& suffix) -> std::optional<ServerEntry> {
        return ServerEntry{suffix, suffix == "net" ? bad.hostField() : good.hostField(), {}, {}};
    };
    const CellLookupSet lookups(LookupClients{[] { return std::make_unique<NetWhoisLookup>(); }, nullptr, std::nullopt},
                                {ServerEntry{"com", good.hostField(), {}, {}}});
    request.exchange = [&](const ServerEntry& entry, const std::string& query) { return lookups.reply(entry, query); };

    const WhoisDetailsResult result = WhoisDetails(request);

    // The good server echoes each query, so its replies show what was asked.
    EXPECT_EQ(result.text, joined({"Domain: phone.com\r\nNo match\r\n",
                                   "Error WSAconnectionReset\r\nSocket Error # 10054\r\nConnection reset by peer.",
                                   "Domain: phone.org\r\nNo match\r\n"}));
}

} // namespace
} // namespace cvt
