#pragma once

#include "core/query/QueryEvents.h"

#include <optional>

namespace cvt {

// What the main window does to its controls when the run's state changes: a pure mapping from the
// state shown before and the state reported now. An unset control is left as it is.
struct RunStateControls {
    enum class Search {
        Unchanged,
        Enabled,
        Disabled,
        IfPattern, // enabled when the pattern box holds more than blanks (after restorePatternMode)
    };
    Search search = Search::Unchanged;
    std::optional<bool> stop;
    std::optional<bool> animating; // shows the busy animation, playing or stopped
    std::optional<bool> servers;   // the server table
    std::optional<bool> method;    // the mode group
    std::optional<bool> popup;     // the result table's popup commands

    bool startClock = false;         // a run or pass begins: its clock starts, not yet stopped
    bool markStopped = false;        // the run was stopped: its end says so
    bool keepActivity = false;       // the activity panel's text is kept while preparing
    bool restoreActivity = false;    // the kept activity text comes back (once)
    bool showPreparing = false;      // the activity panel says the names are being prepared
    bool showLeftOut = false;        // the names the prepared list left out are said, if any
    bool reserveRows = false;        // room for the run's rows is made
    bool showProgress = false;       // the progress panel shows done of total
    bool showDnsSettled = false;     // the DNS panel shows the cells DNS settled
    bool showRunCounts = false;      // the progress and DNS panels as the run left them
    bool showEnding = false;         // the progress goes; the activity panel says how it ended
    bool restorePatternMode = false; // back to pattern mode, with a pattern in the box

    bool operator==(const RunStateControls&) const = default;
};

RunStateControls runStateControls(RunState previous, RunState current);

} // namespace cvt
