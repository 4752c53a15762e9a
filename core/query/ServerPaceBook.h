#pragma once

#include "core/query/PaceClock.h"

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace cvt {

// How far one server's pace has come: when it was last asked and the back-off it has reached.
struct ServerPace {
    bool asked = false;
    PaceClock::TimePoint lastStart{};
    std::chrono::seconds backoff{0};
    PaceClock::TimePoint blockedUntil{};
    // Exchanges in a row that ended without a byte of reply (closed, reset or empty).
    int silentInRow = 0;
};

// The pace of every server a run has asked, kept from the run into the re-query passes after it,
// so a server that refused is not asked again the moment a pass begins. A server's pace is used
// by the one lane that asks it; the book only hands the entries out.
class ServerPaceBook {
public:
    // The pace of a server field (compared trimmed, without letter case); made on first use. The
    // reference stays valid until clear().
    ServerPace& of(std::string_view serverField);
    // A new run: every server starts afresh.
    void clear();

private:
    std::mutex m_mutex;
    std::map<std::string, ServerPace, std::less<>> m_paces;
};

} // namespace cvt
