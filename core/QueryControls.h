#pragma once

#include <cstddef>
#include <string>

namespace cvt {

// The window's controls as the query engine changes them. The engine calls these from the GUI
// thread (its commands) and from its workers; the window's implementation queues every call for
// the GUI thread and applies them in the order they were made, never waiting for the GUI thread.
// A headless implementation may act at once. Implementations must not call back into the engine.
class QueryControls {
public:
    virtual ~QueryControls() = default;

    // Status panel 0 (current activity) or 1 (progress of a run).
    virtual void setStatusText(int panel, const std::string& text) = 0;
    virtual void setSearchEnabled(bool enabled) = 0;
    virtual void setStopEnabled(bool enabled) = 0;
    // true: make the busy animation visible and play it; false: stop it (it stays visible).
    virtual void setBusyAnimation(bool playing) = 0;
    virtual void setServerTableEnabled(bool enabled) = 0;
    virtual void setModeGroupEnabled(bool enabled) = 0;
    // Every item of the result table's popup menu.
    virtual void setPopupItemsEnabled(bool enabled) = 0;
    // Select the row (dropping the previous selection) and scroll until it is at least partly visible.
    virtual void selectAndShowRow(std::size_t row) = 0;
    // End of a run: put "[a-z]phone" into a blank pattern box, then select random (pattern) mode and
    // run its mode handler, so the pattern box is shown again. The window reads the box itself.
    virtual void restorePatternMode() = 0;
    // Enable Search if the pattern box holds text other than blanks.
    virtual void enableSearchIfPatternPresent() = 0;
};

// Controls that ignore every call.
class NullQueryControls : public QueryControls {
public:
    void setStatusText(int, const std::string&) override {}
    void setSearchEnabled(bool) override {}
    void setStopEnabled(bool) override {}
    void setBusyAnimation(bool) override {}
    void setServerTableEnabled(bool) override {}
    void setModeGroupEnabled(bool) override {}
    void setPopupItemsEnabled(bool) override {}
    void selectAndShowRow(std::size_t) override {}
    void restorePatternMode() override {}
    void enableSearchIfPatternPresent() override {}
};

} // namespace cvt
