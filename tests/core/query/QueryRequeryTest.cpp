#include "core/query/QueryEngine.h"
#include "tests/support/QueryFakes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace cvt {
namespace {

using test::EngineRig;
using test::entry;
using Strings = std::vector<std::string>;

// Runs the pattern to its end with the given failures, then forgets the calls made so far.
void runFirst(EngineRig& rig, const std::string& pattern, const Strings& failing) {
    for (const std::string& query : failing) {
        rig.whois.setFailure(query);
    }
    ASSERT_EQ(rig.searchPattern(pattern).status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();
    for (const std::string& query : failing) {
        rig.whois.clearFailure(query);
    }
}

TEST(QueryRequeryTest, AsksExactlyTheFailedAndEmptyCells) {
    struct Case {
        const char* what;
        Strings failing;
        Strings rowsAfterRun;
        Strings asked;
        Strings rowsAfterPass;
    };
    const std::vector<Case> cases = {
        {"one failed cell", {"bx.net"}, {"ax:★|★", "bx:★|-"}, {"bx.net"}, {"ax:★|★", "bx:★|☆"}},
        {"nothing failed", {}, {"ax:★|★", "bx:★|★"}, {}, {"ax:★|★", "bx:★|★"}},
        {"two failed in one row",
         {"ax.com", "ax.net"},
         {"ax:-|-", "bx:★|★"},
         {"ax.com", "ax.net"},
         {"ax:★|☆", "bx:★|★"}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.setEntries({entry("com", "h-com", "free"), entry("net", "h-net", "free")});
        runFirst(rig, "[a-b]x", c.failing);
        ASSERT_EQ(rig.rows(), c.rowsAfterRun) << c.what;
        rig.whois.setReply("ax.net", "free");
        rig.whois.setReply("bx.net", "free");
        const std::size_t before = rig.whois.calls().size();
        rig.sink.clear();

        ASSERT_TRUE(rig.requery()) << c.what;
        rig.engine.waitIdle();

        EXPECT_EQ(rig.whois.queries(before), c.asked) << c.what;
        EXPECT_EQ(rig.rows(), c.rowsAfterPass) << c.what;
        // No run progress, and the status only when something is asked.
        EXPECT_TRUE(rig.sink.eventsStartingWith("status1=").empty()) << c.what;
        EXPECT_EQ(rig.sink.progress(), (RunProgress{RunState::Idle, c.asked.size(), c.asked.size()})) << c.what;
        EXPECT_EQ(rig.sink.eventsStartingWith("status0=").size(), c.asked.size()) << c.what;
    }
}

TEST(QueryRequeryTest, SuffixTickedAfterTheRunIsFilledForEveryRow) {
    EngineRig rig;
    std::vector<ServerEntry> entries{entry("com", "h-com", "free"), entry("io", "h-io", "free", false)};
    rig.setEntries(entries);
    runFirst(rig, "[a-c]x", {});
    entries[1].ticked = true;
    rig.setEntries(entries);
    ASSERT_EQ(rig.rows(), (Strings{"ax:★", "bx:★", "cx:★"})) << "rows made before the column lack its cell";
    rig.whois.setReply("bx.io", "free");

    ASSERT_TRUE(rig.requery());
    rig.engine.waitIdle();
    EXPECT_EQ(rig.rows(), (Strings{"ax:★|★", "bx:★|☆", "cx:★|★"}));
    EXPECT_EQ(rig.whois.queries(3), (Strings{"ax.io", "bx.io", "cx.io"}));
    EXPECT_EQ(rig.whois.calls().back().server, "h-io");
}

TEST(QueryRequeryTest, ChoosingTheCommandTwiceRunsOnePass) {
    EngineRig rig;
    rig.setEntries({entry("com", "h-com", "free")});
    runFirst(rig, "[a-c]x", {"ax.com", "cx.com"});
    rig.whois.hold("ax.com");
    ASSERT_TRUE(rig.requery());
    rig.whois.waitUntilHeld();
    EXPECT_FALSE(rig.requery());
    EXPECT_TRUE(rig.engine.isBusy());
    EXPECT_EQ(rig.searchPattern("zz").status, SearchOutcome::Status::Busy) << "Search waits for the pass";
    rig.whois.release();
    rig.engine.waitIdle();
    EXPECT_EQ(rig.whois.queries(3), (Strings{"ax.com", "cx.com"}));
    EXPECT_FALSE(rig.engine.isBusy());
}

TEST(QueryRequeryTest, PassReportsItsStateAndEachCell) {
    EngineRig rig;
    rig.setEntries({entry("com", "h-com", "free")});
    runFirst(rig, "ax", {"ax.com"});
    rig.sink.clear();
    ASSERT_TRUE(rig.requery());
    rig.engine.waitIdle();
    EXPECT_EQ(rig.sink.events(), (Strings{"state=requerying", "status0=ax.com", "cell=0 com ★", "state=idle"}));
}

TEST(QueryRequeryTest, ColumnWithoutServerEntryIsMarkedFailedWithoutAsking) {
    EngineRig rig;
    rig.setEntries({entry("com", "h-com", "free"), entry("io", "h-io", "free")});
    runFirst(rig, "ax", {"ax.com"});
    // The io entry leaves the server table altogether; its column stays.
    rig.setEntries({entry("com", "h-com", "free")});
    rig.table.setCell(0, 1, Mark::Unasked);
    rig.sink.clear();
    const std::size_t before = rig.whois.calls().size();
    ASSERT_TRUE(rig.requery());
    rig.engine.waitIdle();
    EXPECT_EQ(rig.whois.queries(before), Strings{"ax.com"});
    EXPECT_EQ(rig.rows(), (Strings{"ax:★|-"}));
    EXPECT_EQ(rig.sink.details().back(), "no server entry for this suffix");
}

// The pass goes on at the pace the run left each server at: a server that refused last is waited
// for; one that answered since is asked at once.
TEST(QueryRequeryTest, PassKeepsTheBackOffTheRunReached) {
    struct Case {
        const char* what;
        Strings refusing;
        std::vector<long long> runSleeps;
        std::vector<long long> passSleeps;
    };
    const std::vector<Case> cases = {
        {"the last cell refused", {"cx.com"}, {}, {30000}},
        {"two refusals in a row", {"bx.com", "cx.com"}, {30000}, {60000}},
        {"an answer after the refusal", {"ax.com"}, {30000}, {}},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        rig.setEntries({entry("com", "h-com", "free", true, "LIMIT")});
        for (const std::string& query : c.refusing) {
            rig.whois.setReply(query, "LIMIT");
        }
        ASSERT_EQ(rig.searchPattern("[a-c]x").status, SearchOutcome::Status::Started);
        rig.engine.waitIdle();
        EXPECT_EQ(rig.clock.sleepsMs(), c.runSleeps) << c.what;
        rig.whois.setDefaultReply("free");
        for (const std::string& query : c.refusing) {
            rig.whois.setReply(query, "free");
        }
        ASSERT_TRUE(rig.requery()) << c.what;
        rig.engine.waitIdle();
        std::vector<long long> passSleeps = rig.clock.sleepsMs();
        passSleeps.erase(passSleeps.begin(), passSleeps.begin() + static_cast<std::ptrdiff_t>(c.runSleeps.size()));
        EXPECT_EQ(passSleeps, c.passSleeps) << c.what;
        EXPECT_EQ(rig.rows().size(), 3u) << c.what;
    }
    // A new run starts afresh.
    EngineRig rig;
    rig.setEntries({entry("com", "h-com", "free", true, "LIMIT")});
    rig.whois.setReply("ax.com", "LIMIT");
    ASSERT_EQ(rig.searchPattern("ax").status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();
    rig.whois.setReply("ax.com", "free");
    ASSERT_EQ(rig.searchPattern("ax").status, SearchOutcome::Status::Started);
    rig.engine.waitIdle();
    EXPECT_TRUE(rig.clock.sleepsMs().empty());
    EXPECT_EQ(rig.rows(), Strings{"ax:☆"});
}

TEST(QueryRequeryTest, ShutdownEndsAPassAfterItsCurrentCell) {
    EngineRig rig;
    rig.setEntries({entry("com", "h-com", "free")});
    runFirst(rig, "[a-c]x", {"ax.com", "bx.com", "cx.com"});
    rig.whois.hold("ax.com");
    ASSERT_TRUE(rig.requery());
    rig.whois.waitUntilHeld();
    rig.engine.shutdown();
    EXPECT_EQ(rig.whois.queries(3), Strings{"ax.com"});
    EXPECT_FALSE(rig.engine.isBusy());
}

} // namespace
} // namespace cvt
