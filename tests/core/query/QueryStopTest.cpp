#include "core/query/QueryEngine.h"
#include "tests/support/QueryFakes.h"

#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace cvt {
namespace {

using test::EngineRig;
using test::entry;
using Strings = std::vector<std::string>;

std::vector<ServerEntry> comAndNet() {
    return {entry("com", "h-com", "free"), entry("net", "h-net", "free")};
}

TEST(QueryStopTest, CellUnderWayIsStillWrittenAndNothingFurtherIsAsked) {
    EngineRig rig;
    rig.setEntries(comAndNet());
    rig.whois.setReply("bx.com", "free");
    rig.whois.hold("bx.com");
    ASSERT_EQ(rig.searchPattern("[a-c]x").status, SearchOutcome::Status::Started);
    rig.whois.waitUntilHeld();
    rig.sink.clear();

    rig.engine.stop();
    // Search comes back at once; the worker is still inside its exchange.
    EXPECT_EQ(rig.sink.events(), Strings{"state=stopping"});
    EXPECT_FALSE(rig.engine.isRunActive());
    EXPECT_TRUE(rig.engine.isBusy());
    EXPECT_FALSE(rig.requery()) << "popup commands wait for the clean-up";

    rig.whois.release();
    rig.engine.waitIdle();
    EXPECT_EQ(rig.whois.queries(), (Strings{"ax.com", "ax.net", "bx.com"}));
    EXPECT_EQ(rig.rows(), (Strings{"ax:★|★", "bx:☆|"}));
    EXPECT_EQ(rig.sink.eventsStartingWith("state="), (Strings{"state=stopping", "state=idle"}));
    EXPECT_FALSE(rig.engine.isBusy());

    // A re-query then asks the cell of that name that was never asked, and nothing else.
    ASSERT_TRUE(rig.requery());
    rig.engine.waitIdle();
    EXPECT_EQ(rig.whois.queries(), (Strings{"ax.com", "ax.net", "bx.com", "bx.net"}));
    EXPECT_EQ(rig.rows(), (Strings{"ax:★|★", "bx:☆|★"}));
}

TEST(QueryStopTest, StopBeforeTheFirstNameAsksNothingAndStillCleansUp) {
    // The run empties the table before it prepares its names; the sink holds it there until Stop.
    struct HoldOnClear : test::RecordingSink {
        using RecordingSink::RecordingSink;
        void rowsCleared() override {
            gate.wait();
            RecordingSink::rowsCleared();
        }
        test::Gate gate;
    };
    test::EngineRigWith<HoldOnClear> rig;
    rig.setEntries(comAndNet());
    rig.table.appendRow("old");
    ASSERT_EQ(rig.searchPattern("[a-c]x").status, SearchOutcome::Status::Started);
    rig.sink.gate.waitForWaiter();
    rig.engine.stop();
    rig.sink.gate.open();
    rig.engine.waitIdle();

    EXPECT_TRUE(rig.whois.calls().empty());
    EXPECT_EQ(rig.table.rowCount(), 0u) << "the Search still emptied the table";
    EXPECT_EQ(rig.sink.eventsStartingWith("state="), (Strings{"state=preparing", "state=stopping", "state=idle"}));
    EXPECT_FALSE(rig.engine.isBusy());
}

TEST(QueryStopTest, NewSearchWaitsForTheStoppingRunWhichStaysStopped) {
    EngineRig rig;
    rig.setEntries(comAndNet());
    rig.whois.hold("bx.com");
    ASSERT_EQ(rig.searchPattern("[a-c]x").status, SearchOutcome::Status::Started);
    rig.whois.waitUntilHeld();
    rig.engine.stop();
    // The new Search clears the stop flag while the old worker is still inside its exchange.
    ASSERT_EQ(rig.searchPattern("[d-e]y").status, SearchOutcome::Status::Started);
    EXPECT_TRUE(rig.engine.isRunActive());
    rig.whois.release();
    rig.engine.waitIdle();

    EXPECT_EQ(rig.whois.queries(), (Strings{"ax.com", "ax.net", "bx.com", "dy.com", "dy.net", "ey.com", "ey.net"}));
    // The old run's last cell went into its own table, which the new run emptied before starting.
    EXPECT_EQ(rig.rows(), (Strings{"dy:★|★", "ey:★|★"}));
    // Only the newest run's clean-up reported the end.
    EXPECT_EQ(rig.sink.eventsStartingWith("state="), (Strings{"state=preparing", "state=running", "state=stopping",
                                                              "state=preparing", "state=running", "state=idle"}));
    EXPECT_EQ(rig.sink.events().back(), "state=idle");
}

} // namespace
} // namespace cvt
