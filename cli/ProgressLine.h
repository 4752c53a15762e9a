#pragma once

#include "cli/CheckProgress.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <string>
#include <thread>

namespace cvt::cli {

// The progress of a check run as one line on a terminal, redrawn a few times a second; nothing
// when standard error is not a terminal (no control characters in logs). Notes go out as lines of
// their own either way.
class ProgressLine {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    ProgressLine(std::ostream& err, bool live, Clock clock = std::chrono::steady_clock::now);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Safe from any thread; never waits for the terminal.
    void update(const CheckProgress& progress);
    // Writes a line of its own, below the live line.
    void note(const std::string& text);
    // Removes the live line for good, so the terminal is clean for what follows.
    void finish();

private:
    void redrawLoop();
    void clearLocked();

    std::ostream& m_err;
    const bool m_live;
    Clock m_clock;
    const std::chrono::steady_clock::time_point m_start;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    CheckProgress m_progress;
    bool m_changed = false;
    bool m_shown = false;
    bool m_finished = false;
    std::thread m_thread;
};

} // namespace cvt::cli
