#include "core/QueryEngine.h"
#include "tests/core/QueryFakes.h"

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
        rig.engine.lvWhoisChange({entry("com", "h-com", "free"), entry("net", "h-net", "free")});
        runFirst(rig, "[a-b]x", c.failing);
        ASSERT_EQ(rig.rows(), c.rowsAfterRun) << c.what;
        rig.whois.setReply("ax.net", "free");
        rig.whois.setReply("bx.net", "free");
        const std::size_t before = rig.whois.calls().size();
        rig.controls.clear();

        ASSERT_TRUE(rig.engine.N2Click()) << c.what;
        rig.engine.waitIdle();

        EXPECT_EQ(rig.whois.queries(before), c.asked) << c.what;
        EXPECT_EQ(rig.rows(), c.rowsAfterPass) << c.what;
        // No progress text, and the status only when something is asked.
        EXPECT_TRUE(rig.controls.eventsStartingWith("status1=").empty()) << c.what;
        EXPECT_EQ(rig.controls.eventsStartingWith("status0=").size(), c.asked.size()) << c.what;
    }
}

TEST(QueryRequeryTest, SuffixTickedAfterTheRunIsFilledForEveryRow) {
    EngineRig rig;
    std::vector<ServerEntry> entries{entry("com", "h-com", "free"), entry("io", "h-io", "free", false)};
    rig.engine.lvWhoisChange(entries);
    runFirst(rig, "[a-c]x", {});
    entries[1].ticked = true;
    rig.engine.lvWhoisChange(entries);
    ASSERT_EQ(rig.rows(), (Strings{"ax:★", "bx:★", "cx:★"})) << "rows made before the column lack its cell";
    rig.whois.setReply("bx.io", "free");

    ASSERT_TRUE(rig.engine.N2Click());
    rig.engine.waitIdle();
    EXPECT_EQ(rig.rows(), (Strings{"ax:★|★", "bx:★|☆", "cx:★|★"}));
    EXPECT_EQ(rig.whois.queries(3), (Strings{"ax.io", "bx.io", "cx.io"}));
    EXPECT_EQ(rig.whois.calls().back().server, "h-io");
}

TEST(QueryRequeryTest, ChoosingTheCommandTwiceRunsOnePass) {
    EngineRig rig;
    rig.engine.lvWhoisChange({entry("com", "h-com", "free")});
    runFirst(rig, "[a-c]x", {"ax.com", "cx.com"});
    rig.whois.hold("ax.com");
    ASSERT_TRUE(rig.engine.N2Click());
    rig.whois.waitUntilHeld();
    EXPECT_FALSE(rig.engine.N2Click());
    EXPECT_TRUE(rig.engine.isRequerying());
    EXPECT_EQ(rig.searchPattern("zz").status, SearchOutcome::Status::Busy) << "Search waits for the pass";
    rig.whois.release();
    rig.engine.waitIdle();
    EXPECT_EQ(rig.whois.queries(3), (Strings{"ax.com", "cx.com"}));
    EXPECT_FALSE(rig.engine.isRequerying());
}

TEST(QueryRequeryTest, PassDisablesWhatWouldTouchTheTableAndRestoresItAfter) {
    EngineRig rig;
    rig.engine.lvWhoisChange({entry("com", "h-com", "free")});
    runFirst(rig, "ax", {"ax.com"});
    rig.controls.clear();
    ASSERT_TRUE(rig.engine.N2Click());
    rig.engine.waitIdle();
    EXPECT_EQ(rig.controls.events(), (Strings{"popup=0", "search=0", "servers=0", "modes=0", "status0=ax.com",
                                              "popup=1", "servers=1", "modes=1", "searchIfPattern"}));
}

TEST(QueryRequeryTest, ColumnWithoutServerEntryIsMarkedFailedWithoutAsking) {
    EngineRig rig;
    rig.engine.lvWhoisChange({entry("com", "h-com", "free"), entry("io", "h-io", "free")});
    runFirst(rig, "ax", {"ax.com"});
    // The io entry leaves the server table altogether; its column stays.
    rig.engine.lvWhoisChange({entry("com", "h-com", "free")});
    rig.table.setCell(0, 1, "");
    const std::size_t before = rig.whois.calls().size();
    ASSERT_TRUE(rig.engine.N2Click());
    rig.engine.waitIdle();
    EXPECT_EQ(rig.whois.queries(before), Strings{"ax.com"});
    EXPECT_EQ(rig.rows(), (Strings{"ax:★|-"}));
}

TEST(QueryRequeryTest, ShutdownEndsAPassAfterItsCurrentCell) {
    EngineRig rig;
    rig.engine.lvWhoisChange({entry("com", "h-com", "free")});
    runFirst(rig, "[a-c]x", {"ax.com", "bx.com", "cx.com"});
    rig.whois.hold("ax.com");
    ASSERT_TRUE(rig.engine.N2Click());
    rig.whois.waitUntilHeld();
    rig.engine.shutdown();
    EXPECT_EQ(rig.whois.queries(3), Strings{"ax.com"});
    EXPECT_FALSE(rig.engine.isRequerying());
}

} // namespace
} // namespace cvt
