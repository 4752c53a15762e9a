#include "ui/RunStateControls.h"

namespace cvt {

namespace {

// Search and Stop, the animation, the server table and the mode group as a run holds them.
void setRunning(RunStateControls& controls, bool running) {
    controls.search = running ? RunStateControls::Search::Disabled : RunStateControls::Search::Enabled;
    controls.stop = running;
    controls.animating = running;
    controls.servers = !running;
    controls.method = !running;
}

} // namespace

RunStateControls runStateControls(RunState previous, RunState current) {
    RunStateControls controls;
    switch (current) {
    case RunState::Preparing:
        controls.startClock = previous == RunState::Idle;
        controls.keepActivity = previous != RunState::Preparing;
        controls.popup = false;
        setRunning(controls, true);
        controls.showPreparing = true;
        break;
    case RunState::Running:
        controls.restoreActivity = true;
        controls.popup = false;
        controls.startClock = previous == RunState::Idle;
        controls.reserveRows = previous != RunState::Running;
        controls.showLeftOut = previous == RunState::Preparing;
        setRunning(controls, true);
        controls.showProgress = true;
        controls.showDnsSettled = true;
        break;
    case RunState::Stopping:
        // The controls look idle at once; the popup items wait for the run's end.
        controls.markStopped = true;
        controls.restoreActivity = true;
        setRunning(controls, false);
        controls.showRunCounts = true;
        break;
    case RunState::Requerying:
        // Nothing else may change the table or the server table while the pass works on them.
        controls.startClock = previous == RunState::Idle;
        controls.showProgress = true;
        controls.popup = false;
        controls.search = RunStateControls::Search::Disabled;
        controls.servers = false;
        controls.method = false;
        break;
    case RunState::Idle:
        controls.restoreActivity = true;
        // The last exchange's "Connecting ..." gives way to how the run or the pass ended.
        controls.showEnding = previous != RunState::Idle;
        if (previous == RunState::Requerying) {
            controls.popup = true;
            controls.servers = true;
            controls.method = true;
            controls.search = RunStateControls::Search::IfPattern;
        } else if (previous != RunState::Idle) {
            // The end of a run: back to pattern mode, Search ready when the box holds a pattern.
            // What the run did, stopped or not: the lanes finish after Stop and DNS may have
            // settled more cells than the last progress said.
            controls.popup = true;
            controls.showRunCounts = true;
            setRunning(controls, false);
            controls.restorePatternMode = true;
            controls.search = RunStateControls::Search::IfPattern;
        }
        break;
    }
    return controls;
}

} // namespace cvt
