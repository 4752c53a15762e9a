#include "core/QueryEngine.h"
#include "tests/core/QueryFakes.h"

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
    rig.engine.lvWhoisChange(comAndNet());
    rig.whois.setReply("bx.com", "free");
    rig.whois.hold("bx.com");
    ASSERT_EQ(rig.searchPattern("[a-c]x").status, SearchOutcome::Status::Started);
    rig.whois.waitUntilHeld();
    rig.controls.clear();

    rig.engine.btnStopClick();
    // Search comes back at once; the worker is still inside its exchange.
    EXPECT_EQ(rig.controls.events(), (Strings{"search=1", "stop=0", "busy=0", "servers=1", "modes=1"}));
    EXPECT_FALSE(rig.engine.isRunActive());
    EXPECT_TRUE(rig.engine.isRunning());
    EXPECT_FALSE(rig.engine.N2Click()) << "popup commands wait for the clean-up";

    rig.whois.release();
    rig.engine.waitIdle();
    EXPECT_EQ(rig.whois.queries(), (Strings{"ax.com", "ax.net", "bx.com"}));
    EXPECT_EQ(rig.rows(), (Strings{"ax:★|★", "bx:☆|"}));
    EXPECT_EQ(rig.controls.eventsStartingWith("popup="), Strings{"popup=1"});
    EXPECT_FALSE(rig.engine.isRunning());

    // A re-query then asks the cell of that name that was never asked, and nothing else.
    ASSERT_TRUE(rig.engine.N2Click());
    rig.engine.waitIdle();
    EXPECT_EQ(rig.whois.queries(), (Strings{"ax.com", "ax.net", "bx.com", "bx.net"}));
    EXPECT_EQ(rig.rows(), (Strings{"ax:★|★", "bx:☆|★"}));
}

TEST(QueryStopTest, StopBeforeTheFirstNameAsksNothingAndStillCleansUp) {
    // The run empties the table before its first name; the listener holds it there until Stop.
    struct HoldOnClear : test::MirrorListener {
        void rowsCleared() override { gate.wait(); }
        test::Gate gate;
    };
    EngineRig rig;
    HoldOnClear listener;
    rig.table.setListener(&listener);
    rig.engine.lvWhoisChange(comAndNet());
    ASSERT_EQ(rig.searchPattern("[a-c]x").status, SearchOutcome::Status::Started);
    listener.gate.waitForWaiter();
    rig.engine.btnStopClick();
    listener.gate.open();
    rig.engine.waitIdle();
    rig.table.setListener(nullptr);

    EXPECT_TRUE(rig.whois.calls().empty());
    EXPECT_EQ(rig.table.rowCount(), 0u);
    EXPECT_EQ(rig.controls.events().back(), "searchIfPattern");
    EXPECT_FALSE(rig.engine.isBusy());
}

TEST(QueryStopTest, NewSearchWaitsForTheStoppingRunWhichStaysStopped) {
    EngineRig rig;
    rig.engine.lvWhoisChange(comAndNet());
    rig.whois.hold("bx.com");
    ASSERT_EQ(rig.searchPattern("[a-c]x").status, SearchOutcome::Status::Started);
    rig.whois.waitUntilHeld();
    rig.engine.btnStopClick();
    // The new Search clears the stop flag while the old worker is still inside its exchange.
    ASSERT_EQ(rig.searchPattern("[d-e]y").status, SearchOutcome::Status::Started);
    EXPECT_TRUE(rig.engine.isRunActive());
    rig.whois.release();
    rig.engine.waitIdle();

    EXPECT_EQ(rig.whois.queries(), (Strings{"ax.com", "ax.net", "bx.com", "dy.com", "dy.net", "ey.com", "ey.net"}));
    // The old run's last cell went into its own table, which the new run emptied before starting.
    EXPECT_EQ(rig.rows(), (Strings{"dy:★|★", "ey:★|★"}));
    // Only the newest run's clean-up touched the controls.
    EXPECT_EQ(rig.controls.eventsStartingWith("popup=1"), Strings{"popup=1"});
    EXPECT_EQ(rig.controls.eventsStartingWith("stop="), (Strings{"stop=1", "stop=0", "stop=1", "stop=0"}));
    EXPECT_EQ(rig.controls.events().back(), "searchIfPattern");
}

} // namespace
} // namespace cvt
