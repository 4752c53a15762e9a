// The run in lanes: one per server, at the same time, each at its own pace.
#include "core/query/QueryEngine.h"
#include "core/query/QueryLane.h"
#include "core/query/ResultMarks.h"
#include "tests/support/QueryFakes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace cvt {
namespace {

using test::EngineRig;
using test::entry;
using Strings = std::vector<std::string>;

std::vector<ServerEntry> twoServers() {
    // org shares com's server, written in other letters: one lane for both.
    return {entry("com", "h-a", "free"), entry("net", "h-b", "free"), entry("org", "H-A", "free")};
}

void scriptTwoServers(test::ScriptedWhois& whois) {
    whois.setDefaultReply("taken");
    whois.setReply("ax.net", "free");
    whois.setReply("cx.org", "free");
    whois.setFailure("bx.com");
}

bool noOrderFaults(const test::RecordingSink& sink) {
    const Strings events = sink.events();
    return std::none_of(events.begin(), events.end(), [](const std::string& event) {
        return event.rfind("ROW OUT OF ORDER", 0) == 0 || event.rfind("CELL BEFORE", 0) == 0;
    });
}

// Waits (without a time limit: the test's own limit applies) until the sink has seen the event.
void waitForEvent(const test::RecordingSink& sink, const std::string& prefix) {
    while (sink.eventsStartingWith(prefix).empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST(QueryLanesTest, ALaneIsOneServerHostWhateverTheSuffixPath) {
    const struct {
        const char* field;
        const char* key;
    } cases[] = {
        {" WHOIS.Example.COM ", "whois.example.com"},
        {"whois.example.com:4343", "whois.example.com:4343"},
        {"https://rdap.example.net/shop/", "rdap.example.net"},
        {"HTTPS://RDAP.example.net/xyz", "rdap.example.net"},
        {"https://rdap.example.net:8443/v1/?a=b", "rdap.example.net:8443"},
        {"http://rdap.example.org", "rdap.example.org"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(laneKey(c.field), c.key) << c.field;
    }
}

TEST(QueryLanesTest, LanesGiveTheSameTableAsOneLaneAndKeepEachServersOrder) {
    std::vector<Strings> tables;
    for (const bool parallel : {false, true}) {
        EngineRig rig;
        scriptTwoServers(rig.whois);
        rig.setEntries(twoServers());
        RunSettings settings;
        settings.parallel = parallel;
        rig.setSettings(settings);
        ASSERT_EQ(rig.searchPattern("[a-d]x").status, SearchOutcome::Status::Started);
        rig.engine.waitIdle();
        tables.push_back(rig.rows());
        EXPECT_TRUE(noOrderFaults(rig.sink)) << parallel;
        EXPECT_EQ(rig.whois.clientsMade(), parallel ? 2 : 1);
        EXPECT_EQ(rig.sink.eventsStartingWith("status1=").back(), "status1=4/4") << parallel;
        const Strings laneA = rig.whois.queriesOf("h-a");
        const Strings laneAOrg = rig.whois.queriesOf("H-A");
        EXPECT_EQ(laneA, (Strings{"ax.com", "bx.com", "cx.com", "dx.com"}));
        EXPECT_EQ(laneAOrg, (Strings{"ax.org", "bx.org", "cx.org", "dx.org"}));
        EXPECT_EQ(rig.whois.queriesOf("h-b"), (Strings{"ax.net", "bx.net", "cx.net", "dx.net"}));
        if (parallel) {
            // Within the lane of h-a, each name's entries in server-table order.
            Strings lane;
            for (const auto& call : rig.whois.calls()) {
                if (call.server != "h-b") {
                    lane.push_back(call.query);
                }
            }
            EXPECT_EQ(lane, (Strings{"ax.com", "ax.org", "bx.com", "bx.org", "cx.com", "cx.org", "dx.com", "dx.org"}));
        }
    }
    EXPECT_EQ(tables[0], (Strings{"ax:★|☆|★", "bx:-|★|★", "cx:★|★|☆", "dx:★|★|★"}));
    EXPECT_EQ(tables[1], tables[0]);
}

TEST(QueryLanesTest, ProgressCountsNamesWhoseCellsAreAllAsked) {
    EngineRig rig;
    rig.setEntries(twoServers());
    rig.setSettings(test::lanesOn());
    rig.whois.hold("cx.net");
    ASSERT_EQ(rig.searchPattern("[a-d]x").status, SearchOutcome::Status::Started);
    rig.whois.waitUntilHeld();
    // The other lane may run ahead; the held name and those after it are not done.
    waitForEvent(rig.sink, "cell=3 org");
    EXPECT_EQ(rig.sink.progress().done, 2u);
    rig.whois.release();
    rig.engine.waitIdle();
    const Strings progress = rig.sink.eventsStartingWith("status1=");
    EXPECT_EQ(progress, (Strings{"status1=0/4", "status1=1/4", "status1=2/4", "status1=3/4", "status1=4/4"}));
}

TEST(QueryLanesTest, StopEndsEveryLaneAfterItsExchangeUnderWay) {
    EngineRig rig;
    rig.setEntries(twoServers());
    rig.setSettings(test::lanesOn());
    rig.whois.hold("bx.com");
    ASSERT_EQ(rig.searchPattern("[a-z]x").status, SearchOutcome::Status::Started);
    rig.whois.waitUntilHeld();
    rig.engine.stop();
    const std::size_t asked = rig.whois.calls().size();
    rig.whois.release();
    rig.engine.waitIdle();
    // At most the other lane's exchange that began as Stop came.
    EXPECT_LE(rig.whois.calls().size(), asked + 1);
    EXPECT_EQ(rig.table.row(1).cells.front(), Mark::Registered) << "the held cell is still written";
    EXPECT_EQ(rig.whois.queriesOf("h-a"), (Strings{"ax.com", "bx.com"}));
    EXPECT_EQ(rig.whois.queriesOf("H-A"), Strings{"ax.org"}) << "nothing after the exchange under way";
    EXPECT_TRUE(noOrderFaults(rig.sink));
    EXPECT_EQ(rig.sink.eventsStartingWith("state=").back(), "state=idle");
}

TEST(QueryLanesTest, RequeryUsesTheSameLanes) {
    EngineRig rig;
    rig.setEntries(twoServers());
    rig.setSettings(test::lanesOn());
    for (const char* query : {"ax.com", "bx.net", "bx.org"}) {
        rig.whois.setFailure(query);
    }
    ASSERT_EQ(rig.searchPattern("[a-b]x").status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();
    ASSERT_EQ(rig.rows(), (Strings{"ax:-|★|★", "bx:★|-|-"}));
    for (const char* query : {"ax.com", "bx.net", "bx.org"}) {
        rig.whois.clearFailure(query);
    }
    rig.whois.setDefaultReply("free");
    const std::size_t before = rig.whois.calls().size();
    ASSERT_TRUE(rig.requery());
    rig.engine.waitIdle();
    EXPECT_EQ(rig.rows(), (Strings{"ax:☆|★|★", "bx:★|☆|☆"}));
    Strings asked = rig.whois.queries(before);
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (Strings{"ax.com", "bx.net", "bx.org"}));
    EXPECT_EQ(rig.whois.clientsMade(), 4) << "two lanes for the run, two for the pass";
}

TEST(QueryLanesTest, PaceKeepsTheIntervalOfEachServer) {
    struct Case {
        const char* what;
        bool parallel;
        std::vector<ServerEntry> entries;
        std::vector<long long> sleeps;
    };
    const std::vector<Case> cases = {
        // One lane, two servers: each server keeps its own interval, measured from its last start.
        {"one lane", false, {entry("com", "h-a", "free"), entry("net", "h-b", "free")}, {1000, 4000, 5000}},
        {"lanes, one server", true, {entry("com", "h-a", "free")}, {1000, 1000}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.setEntries(c.entries);
        RunSettings settings;
        settings.parallel = c.parallel;
        settings.interval = std::chrono::milliseconds(1000);
        settings.serverIntervals["h-b"] = std::chrono::milliseconds(5000);
        rig.setSettings(settings);
        ASSERT_EQ(rig.searchPattern("[a-c]x").status, SearchOutcome::Status::Started);
        rig.engine.waitIdle();
        EXPECT_EQ(rig.clock.sleepsMs(), c.sleeps) << c.what;
        EXPECT_EQ(rig.rows().size(), 3u) << c.what;
    }
}

TEST(QueryLanesTest, RefusalBacksOffDoublingUpToTheLimit) {
    struct Case {
        const char* what;
        long long backoff;
        std::vector<long long> sleeps;
    };
    const std::vector<Case> cases = {
        {"default", 30, {30000, 60000, 120000}},
        {"doubling stops at 600 s", 400, {400000, 600000, 600000}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.setEntries({entry("com", "h", "free", true, "WHOIS LIMIT EXCEEDED")});
        RunSettings settings;
        settings.backoff = std::chrono::seconds(c.backoff);
        rig.setSettings(settings);
        rig.whois.setDefaultReply("free");
        for (const char* query : {"bx.com", "cx.com", "dx.com"}) {
            rig.whois.setReply(query, "WHOIS LIMIT EXCEEDED");
        }
        ASSERT_EQ(rig.searchPattern("[a-f]x").status, SearchOutcome::Status::Started);
        rig.engine.waitIdle();
        EXPECT_EQ(rig.clock.sleepsMs(), c.sleeps) << c.what << ": back to the plain pace after an answer";
        EXPECT_EQ(rig.rows(), (Strings{"ax:☆", "bx:-", "cx:-", "dx:-", "ex:☆", "fx:☆"})) << c.what;
        EXPECT_EQ(rig.sink.details()[1], "refused: WHOIS LIMIT EXCEEDED") << c.what;
        EXPECT_EQ(rig.sink.eventsStartingWith("status0=Waiting").front(),
                  "status0=Waiting for h: " + std::to_string(c.backoff) + " s")
            << c.what;
    }
}

// A server that closes without a word is rationing too: from the second such exchange in a row the
// lane backs off as after a refusal; the first leaves the back-off as it stands.
TEST(QueryLanesTest, ExchangesWithoutAReplyBackOffFromTheSecondInARow) {
    struct Case {
        const char* what;
        std::map<std::string, std::string> replies; // the others are free
        std::vector<long long> sleeps;
        Strings rows;
    };
    const std::vector<Case> cases = {
        {"three in a row",
         {{"bx.com", ""}, {"cx.com", ""}, {"dx.com", ""}},
         {30000, 60000},
         {"ax:☆", "bx:-", "cx:-", "dx:-", "ex:☆"}},
        {"an answer between them",
         {{"bx.com", ""}, {"cx.com", "Domain Name: CX.COM"}, {"dx.com", ""}},
         {},
         {"ax:☆", "bx:-", "cx:★", "dx:-", "ex:☆"}},
        {"after a refusal",
         {{"bx.com", "WHOIS LIMIT EXCEEDED"}, {"cx.com", ""}, {"dx.com", ""}},
         {30000, 60000},
         {"ax:☆", "bx:-", "cx:-", "dx:-", "ex:☆"}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.setEntries({entry("com", "h", "free", true, "WHOIS LIMIT EXCEEDED")});
        rig.whois.setDefaultReply("free");
        for (const auto& [query, reply] : c.replies) {
            rig.whois.setReply(query, reply);
        }
        ASSERT_EQ(rig.searchPattern("[a-e]x").status, SearchOutcome::Status::Started);
        rig.engine.waitIdle();
        EXPECT_EQ(rig.clock.sleepsMs(), c.sleeps) << c.what;
        EXPECT_EQ(rig.rows(), c.rows) << c.what;
        EXPECT_EQ(rig.sink.details()[3], "empty reply") << c.what;
    }
}

// With the steady clock: Stop and closing end a long pause at once.
TEST(QueryLanesTest, StopAndClosingEndAPauseAtOnce) {
    for (const bool closing : {false, true}) {
        ResultTable table("Domain Name");
        test::RecordingSink sink(table);
        test::ScriptedWhois whois;
        QueryEngine engine({sink, [&whois] { return whois.client(); }, nullptr, {}});
        const std::vector<ServerEntry> entries{entry("com", "h", "free")};
        engine.setServerEntries(entries);
        table.alignSuffixColumns(entries);
        RunSettings settings = test::lanesOn();
        settings.interval = std::chrono::hours(1);
        engine.setSettings(settings);
        SearchRequest request;
        request.patternText = "[a-b]x";
        ASSERT_EQ(engine.search(std::move(request)).status, SearchOutcome::Status::Started);
        waitForEvent(sink, "status0=Waiting for h");
        if (closing) {
            engine.shutdown();
        } else {
            engine.stop();
            engine.waitIdle();
        }
        EXPECT_EQ(whois.queries(), Strings{"ax.com"}) << closing;
        EXPECT_EQ(sink.eventsStartingWith("state=").back(), "state=idle") << closing;
    }
}

} // namespace
} // namespace cvt
