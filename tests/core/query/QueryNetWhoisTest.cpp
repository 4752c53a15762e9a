// The query engine over the real WHOIS client, against fake servers on 127.0.0.1.
#include "core/query/CellLookupSet.h"
#include "core/query/NetWhoisLookup.h"
#include "core/query/QueryEngine.h"
#include "core/query/ResultMarks.h"
#include "core/query/WhoisDetails.h"
#include "net/dns/HostResolver.h"
#include "net/rdap/RdapClient.h"
#include "net/whois/TNetWhois.h"
#include "tests/support/FakeDnsServer.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/QueryFakes.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace cvt {
namespace {

using test::FakeWhoisConnection;
using test::FakeWhoisScript;
using test::FakeWhoisServer;

struct NetRig {
    ResultTable table{"Domain Name"};
    test::RecordingSink sink{table};
    // The clients' wait for each part of a reply; 0 keeps the client's own.
    int readTimeoutMs = 0;
    QueryEngine engine{QueryEngineDeps{sink,
                                       [this] {
                                           auto lookup = std::make_unique<NetWhoisLookup>();
                                           if (readTimeoutMs > 0) {
                                               lookup->client().SetReadTimeout(readTimeoutMs);
                                           }
                                           return lookup;
                                       },
                                       nullptr,
                                       {}}};

    void setEntries(const std::vector<ServerEntry>& entries) {
        engine.setServerEntries(entries);
        table.alignSuffixColumns(entries);
    }
    // Asks one name of one entry and returns the mark written.
    Mark markFor(const std::string& host, const std::string& refusal = {}) {
        setEntries({test::entry("com", host, "No match for", true, refusal)});
        SearchRequest request;
        request.patternText = "ax";
        EXPECT_EQ(engine.search(std::move(request)).status, SearchOutcome::Status::Started);
        engine.waitIdle();
        return table.cell(0, 0);
    }
};

TEST(QueryNetWhoisTest, EveryKindOfReplyAndFailureGivesItsMark) {
    struct Case {
        const char* what;
        FakeWhoisScript script;
        Mark mark;
        bool readsQuery = true;
    };
    const std::vector<Case> cases = {
        {"no-match reply", FakeWhoisServer::reply("No match for \"AX.COM\".\r\n"), Mark::Free},
        {"closed at once without a reply", FakeWhoisServer::reply(""), Mark::Failed},
        {"closed without reading the query", [](FakeWhoisConnection& connection) { connection.close(); }, Mark::Failed,
         false},
        {"reply in pieces", FakeWhoisServer::replyInPieces({"No ma", "tch for AX"}, std::chrono::milliseconds(1)),
         Mark::Free},
        {"refusal", FakeWhoisServer::reply("Query rate LIMIT EXCEEDED"), Mark::Failed},
        {"reset in the middle of the reply", FakeWhoisServer::replyThenReset("No match for"), Mark::Failed},
        {"reply without end", FakeWhoisServer::endless(std::string(65536, 'x')), Mark::Failed},
    };
    for (const Case& c : cases) {
        FakeWhoisServer server(c.script);
        NetRig rig;
        EXPECT_EQ(rig.markFor(server.hostField(), "LIMIT EXCEEDED"), c.mark) << c.what;
        server.stop(); // the last connection is recorded once its script has ended
        if (c.readsQuery) {
            EXPECT_EQ(server.queries(), std::vector<std::string>{"ax.com\r\n"}) << c.what;
        }
    }
    NetRig rig;
    EXPECT_EQ(rig.markFor("127.0.0.1:" + std::to_string(test::closedLoopbackPort())), Mark::Failed)
        << "refused connection";
}

// A server that keeps dripping the no-match text one byte at a time holds the cell no longer than
// the whole exchange may last; the cell is then failed, so the re-query asks it again, and the
// details name the time-out.
TEST(QueryNetWhoisTest, AReplyThatNeverEndsFailsAtTheExchangeLimit) {
    std::vector<std::string> drip;
    for (const char c : std::string("No match for \"AX.COM\".")) {
        drip.emplace_back(1, c);
    }
    FakeWhoisServer server(FakeWhoisServer::replyInPieces(drip, std::chrono::milliseconds(50)));
    const auto shortExchanges = [] {
        auto lookup = std::make_unique<NetWhoisLookup>();
        lookup->client().SetExchangeTimeout(300);
        return lookup;
    };
    ResultTable table{"Domain Name"};
    test::RecordingSink sink{table};
    QueryEngine engine{QueryEngineDeps{sink, [] { return std::make_unique<NetWhoisLookup>(); }, nullptr, {}}};
    RunSettings settings;
    settings.exchangeTimeout = std::chrono::milliseconds(300);
    engine.setSettings(settings);
    const std::vector<ServerEntry> entries = {test::entry("com", server.hostField(), "No match for")};
    engine.setServerEntries(entries);
    table.alignSuffixColumns(entries);
    SearchRequest search;
    search.patternText = "ax";
    ASSERT_EQ(engine.search(std::move(search)).status, SearchOutcome::Status::Started);
    engine.waitIdle();
    EXPECT_EQ(table.cell(0, 0), Mark::Failed);
    EXPECT_EQ(sink.details(), std::vector<std::string>{"Read Timeout"});

    // The row's WHOIS details ask again and say why the exchange failed.
    const std::unique_ptr<NetWhoisLookup> lookup = shortExchanges();
    WhoisDetailsRequest request;
    request.rowCaption = "ax";
    request.cells = {Mark::Failed};
    request.columns = {"Domain Name", "com"};
    request.findServer = [&](const std::string& suffix) -> std::optional<ServerEntry> {
        return ServerEntry{suffix, server.hostField(), {}, {}};
    };
    const CellLookupSet lookups(LookupClients{[&] { return shortExchanges(); }, nullptr, std::nullopt},
                                {ServerEntry{"com", server.hostField(), {}, {}}});
    request.exchange = [&](const ServerEntry& entry, const std::string& query) { return lookups.reply(entry, query); };
    EXPECT_EQ(WhoisDetails(request).text,
              "Error WSAconnectionReset\r\nRead Timeout\r\n" + std::string(kWhoisDetailsSeparator) + "\r\n");
}

TEST(QueryNetWhoisTest, ShutdownAbandonsAnExchangeWaitingOnASilentServer) {
    std::mutex mutex;
    std::condition_variable changed;
    bool asked = false;
    std::string query;
    FakeWhoisServer server([&](FakeWhoisConnection& connection) {
        std::string received = connection.readQuery();
        {
            std::lock_guard lock(mutex);
            query = std::move(received);
            asked = true;
            changed.notify_all();
        }
        connection.waitForClientClose();
    });
    NetRig rig;
    rig.readTimeoutMs = 600000; // only the shutdown can end the wait
    rig.setEntries({test::entry("com", server.hostField(), "No match for")});
    SearchRequest request;
    request.patternText = "[a-b]x";
    ASSERT_EQ(rig.engine.search(std::move(request)).status, SearchOutcome::Status::Started);
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return asked; });
    }
    rig.engine.shutdown(); // returns without waiting for the read limit
    EXPECT_EQ(rig.table.snapshot().rows, (std::vector<ResultRow>{{"ax", {Mark::Failed}}}));
    std::lock_guard lock(mutex);
    EXPECT_EQ(query, "ax.com\r\n");
}

// A lane whose server's host name a silent resolver never answers (its limit is never reached):
// Stop ends the lookup at once (its cell is "-", and the lane goes no further); the command-line
// tool's second Ctrl-C (cancelExchanges) fails it and every later exchange at once. Either way the
// details say so, not the resolver's time-out.
TEST(QueryNetWhoisTest, StopAndCancelEndAHostLookupOnASilentResolver) {
    struct Case {
        const char* name;
        void (QueryEngine::*command)();
        std::vector<ResultRow> rows;
    };
    const std::vector<Case> cases = {
        {"Stop", &QueryEngine::stop, {{"ax", {Mark::Failed}}}},
        {"cancelExchanges", &QueryEngine::cancelExchanges, {{"ax", {Mark::Failed}}, {"bx", {Mark::Failed}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeDnsServer dns(test::FakeDnsServer::Entry{test::FakeDnsServer::Reply::Silent, {}});
        const HostResolver resolver({"127.0.0.1", dns.port(), std::chrono::milliseconds(600000), 1});
        ResultTable table{"Domain Name"};
        test::RecordingSink sink{table};
        QueryEngine engine{QueryEngineDeps{sink,
                                           [&] {
                                               auto lookup = std::make_unique<NetWhoisLookup>();
                                               lookup->client().SetHostResolver(&resolver);
                                               return lookup;
                                           },
                                           nullptr,
                                           {}}};
        const std::vector<ServerEntry> entries = {test::entry("com", "whois.test", "No match for")};
        engine.setServerEntries(entries);
        table.alignSuffixColumns(entries);
        SearchRequest request;
        request.patternText = "[a-b]x";
        ASSERT_EQ(engine.search(std::move(request)).status, SearchOutcome::Status::Started);
        while (dns.questionCount() == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        (engine.*c.command)();
        engine.waitIdle();
        EXPECT_EQ(table.snapshot().rows, c.rows);
        EXPECT_EQ(sink.details(), std::vector<std::string>(c.rows.size(), "Operation cancelled."));
    }
}

TEST(QueryNetWhoisTest, LanesOnTwoServersGiveTheSameTableAsOneLane) {
    FakeWhoisServer free(FakeWhoisServer::reply("No match for this name\r\n"));
    FakeWhoisServer taken(FakeWhoisServer::reply("Domain Name: TAKEN\r\n"));
    std::vector<std::vector<ResultRow>> tables;
    for (const bool parallel : {false, true}) {
        NetRig rig;
        rig.setEntries({test::entry("com", free.hostField(), "No match for"),
                        test::entry("net", taken.hostField(), "No match for")});
        RunSettings settings;
        settings.parallel = parallel;
        rig.engine.setSettings(settings);
        SearchRequest request;
        request.patternText = "[a-c]x";
        ASSERT_EQ(rig.engine.search(std::move(request)).status, SearchOutcome::Status::Started);
        rig.engine.waitIdle();
        tables.push_back(rig.table.rows());
    }
    const std::vector<ResultRow> expected{{"ax", {Mark::Free, Mark::Registered}},
                                          {"bx", {Mark::Free, Mark::Registered}},
                                          {"cx", {Mark::Free, Mark::Registered}}};
    EXPECT_EQ(tables[0], expected);
    EXPECT_EQ(tables[1], expected);
}

} // namespace
} // namespace cvt
