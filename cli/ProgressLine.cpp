#include "cli/ProgressLine.h"

#include <cstdio>
#include <ostream>

namespace cvt::cli {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

std::string clockText(long long seconds) {
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    }
    return text;
}

} // namespace

std::string formatProgress(const CheckProgress& progress, std::chrono::steady_clock::duration elapsed) {
    std::string line = std::to_string(progress.namesDone) + "/" + std::to_string(progress.names) + " names, " +
                       std::to_string(progress.marks.free) + " free, " + std::to_string(progress.marks.registered) +
                       " registered, " + std::to_string(progress.marks.failed) + " failed, ";
    const double seconds = std::chrono::duration<double>(elapsed).count();
    if (progress.namesDone == 0 || seconds <= 0) {
        return line + "- names/s, - left";
    }
    const double rate = static_cast<double>(progress.namesDone) / seconds;
    char rateText[32];
    std::snprintf(rateText, sizeof rateText, "%.1f", rate);
    const std::size_t remaining = progress.names > progress.namesDone ? progress.names - progress.namesDone : 0;
    const auto left = static_cast<long long>(static_cast<double>(remaining) / rate + 0.5);
    return line + rateText + " names/s, " + clockText(left) + " left";
}

ProgressLine::ProgressLine(std::ostream& err, bool live, Clock clock)
    : m_err(err), m_live(live), m_clock(std::move(clock)), m_start(m_clock()) {
    if (m_live) {
        m_thread = std::thread([this] { redrawLoop(); });
    }
}

ProgressLine::~ProgressLine() {
    finish();
}

void ProgressLine::update(const CheckProgress& progress) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        m_progress = progress;
        m_changed = true;
        first = !m_shown;
    }
    if (first) {
        m_wake.notify_all();
    }
}

void ProgressLine::note(const std::string& text) {
    std::lock_guard lock(m_mutex);
    clearLocked();
    m_err << text << '\n' << std::flush;
    m_changed = true;
}

void ProgressLine::finish() {
    {
        std::lock_guard lock(m_mutex);
        if (m_finished) {
            return;
        }
        m_finished = true;
        clearLocked();
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void ProgressLine::redrawLoop() {
    std::unique_lock lock(m_mutex);
    while (!m_finished) {
        // The rate and the time left change with the clock, so the line is redrawn even when no
        // cell has been written since.
        if (m_changed || m_shown) {
            m_err << "\r\033[K" << formatProgress(m_progress, m_clock() - m_start) << std::flush;
            m_shown = true;
            m_changed = false;
        }
        // The first change shows at once; later ones with the next redraw.
        m_wake.wait_for(lock, kRedrawInterval, [this] { return m_finished || (m_changed && !m_shown); });
    }
}

void ProgressLine::clearLocked() {
    if (m_shown) {
        m_err << "\r\033[K" << std::flush;
        m_shown = false;
    }
}

} // namespace cvt::cli
