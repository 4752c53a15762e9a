#pragma once

#include <functional>
#include <string>

namespace cvt {

class WhoisLookup;

// What a WHOIS server is calibrated for.
struct CalibrationTarget {
    std::string server;     // "host" or "host:port"
    std::string suffix;     // in ASCII (the A-label of an IDN), e.g. "shop"
    std::string registered; // a name under the suffix that must exist; empty: "nic." + suffix
};

// The derived no-match text, or why there is none.
struct CalibrationResult {
    std::string mark;
    std::string reason; // empty when mark was derived

    bool succeeded() const { return !mark.empty(); }
};

// Asks a WHOIS server about two names that cannot exist (random labels of 24 letters) and one that
// must, and derives its no-match text from the replies (NoMatchCalibration). A failed exchange, an
// empty or oversized reply, a refusal or replies alike give a reason, never a text. The lookup is
// used as it is set up (its time limits are the run's) and only with the target's server.
class WhoisCalibrator {
public:
    static constexpr std::size_t kRandomLabel = 24;
    // Makes the random labels; the default draws them from std::random_device.
    using LabelSource = std::function<std::string()>;

    explicit WhoisCalibrator(WhoisLookup& lookup, LabelSource labels = {});

    CalibrationResult calibrate(const CalibrationTarget& target);

private:
    WhoisLookup& m_lookup;
    LabelSource m_labels;
};

} // namespace cvt
