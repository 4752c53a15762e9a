#pragma once

#include "core/suffixes/CalibrationBook.h"
#include "core/suffixes/WhoisCalibrator.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace cvt {

// The calibrated no-match texts of a process, shared by the threads that ask WHOIS servers: a text
// is taken while it is younger than CalibrationBook::kMaxAge, else derived again and kept, and each
// new text is handed to the saver at once (which writes the per-user file).
class CalibrationStore {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    // Keeps one new text; returns what went wrong, empty when it was kept.
    using Saver = std::function<std::string(const std::string& server, const StoredCalibration& calibration)>;

    explicit CalibrationStore(CalibrationBook book, Saver saver = {}, Clock clock = {});

    // The text for the target's server: the stored one while fresh, else one derived now with the
    // calibrator (outside the lock; two threads may derive the same server at once, and the later
    // text stands). reason tells why there is none, or what went wrong keeping a derived one.
    CalibrationResult markFor(const CalibrationTarget& target, WhoisCalibrator& calibrator);

    // Derives the target's text now, whatever is stored, and keeps it when derived.
    CalibrationResult recalibrate(const CalibrationTarget& target, WhoisCalibrator& calibrator);

    std::optional<StoredCalibration> stored(const std::string& server) const;
    std::chrono::system_clock::time_point now() const { return m_clock(); }

private:
    mutable std::mutex m_mutex;
    CalibrationBook m_book;
    Saver m_saver;
    Clock m_clock;
};

} // namespace cvt
