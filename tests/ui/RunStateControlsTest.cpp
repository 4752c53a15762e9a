#include "ui/RunStateControls.h"

#include <gtest/gtest.h>

namespace cvt {
namespace {

using Search = RunStateControls::Search;

// The controls of a run going on (running = true) or just stopped.
RunStateControls running(bool on) {
    RunStateControls controls;
    controls.search = on ? Search::Disabled : Search::Enabled;
    controls.stop = on;
    controls.animating = on;
    controls.servers = !on;
    controls.method = !on;
    return controls;
}

TEST(RunStateControls, EachTransitionSetsTheControlsOfItsState) {
    struct Case {
        RunState previous;
        RunState current;
        RunStateControls expected;
    };
    RunStateControls preparing = running(true);
    preparing.popup = false;
    preparing.startClock = true;
    preparing.keepActivity = true;
    preparing.showPreparing = true;

    RunStateControls preparingAgain = preparing;
    preparingAgain.startClock = false;
    preparingAgain.keepActivity = false;

    RunStateControls runningAfterPreparing = running(true);
    runningAfterPreparing.popup = false;
    runningAfterPreparing.restoreActivity = true;
    runningAfterPreparing.reserveRows = true;
    runningAfterPreparing.showProgress = true;
    runningAfterPreparing.showDnsSettled = true;
    runningAfterPreparing.showLeftOut = true;

    RunStateControls runningOn = runningAfterPreparing;
    runningOn.reserveRows = false;
    runningOn.showLeftOut = false;

    RunStateControls stopping = running(false);
    stopping.markStopped = true;
    stopping.restoreActivity = true;
    stopping.showRunCounts = true;

    RunStateControls requerying;
    requerying.startClock = true;
    requerying.showProgress = true;
    requerying.popup = false;
    requerying.search = Search::Disabled;
    requerying.servers = false;
    requerying.method = false;

    RunStateControls requeryDone;
    requeryDone.restoreActivity = true;
    requeryDone.showEnding = true;
    requeryDone.popup = true;
    requeryDone.servers = true;
    requeryDone.method = true;
    requeryDone.search = Search::IfPattern;

    RunStateControls runDone = running(false);
    runDone.restoreActivity = true;
    runDone.showEnding = true;
    runDone.popup = true;
    runDone.showRunCounts = true;
    runDone.restorePatternMode = true;
    runDone.search = Search::IfPattern;

    RunStateControls stillIdle;
    stillIdle.restoreActivity = true;

    const Case cases[] = {
        {RunState::Idle, RunState::Preparing, preparing},
        {RunState::Preparing, RunState::Preparing, preparingAgain},
        {RunState::Preparing, RunState::Running, runningAfterPreparing},
        {RunState::Running, RunState::Running, runningOn},
        {RunState::Running, RunState::Stopping, stopping},
        {RunState::Stopping, RunState::Idle, runDone},
        {RunState::Running, RunState::Idle, runDone},
        {RunState::Idle, RunState::Requerying, requerying},
        {RunState::Requerying, RunState::Idle, requeryDone},
        {RunState::Idle, RunState::Idle, stillIdle},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(runStateControls(c.previous, c.current) == c.expected)
            << static_cast<int>(c.previous) << " -> " << static_cast<int>(c.current);
    }
}

TEST(RunStateControls, NothingChangesTheTablesWhileARunOrPassHoldsThem) {
    // Whatever came before, a busy state never leaves the server table, the mode group, Search or
    // the popup commands usable.
    const RunState all[] = {RunState::Idle, RunState::Preparing, RunState::Running, RunState::Stopping,
                            RunState::Requerying};
    for (const RunState previous : all) {
        for (const RunState busy : {RunState::Preparing, RunState::Running, RunState::Requerying}) {
            const RunStateControls controls = runStateControls(previous, busy);
            EXPECT_EQ(controls.servers, false) << static_cast<int>(previous);
            EXPECT_EQ(controls.method, false) << static_cast<int>(previous);
            EXPECT_EQ(controls.popup, false) << static_cast<int>(previous);
            EXPECT_EQ(controls.search, Search::Disabled) << static_cast<int>(previous);
        }
    }
}

} // namespace
} // namespace cvt
