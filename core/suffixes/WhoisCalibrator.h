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

// The derived no-match text and registered text, or why there are none.
struct CalibrationResult {
    std::string mark;
    std::string reason; // empty when mark was derived
    // The text only a registered reply holds; empty when not derived (or kept by an older version).
    std::string registered = {};
    // The run stopped while the server was being asked: nothing was derived.
    bool stopped = false;

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
    // Waits until the server may be asked again; false when the run stops.
    using NextTurn = std::function<bool()>;

    explicit WhoisCalibrator(WhoisLookup& lookup, LabelSource labels = {});

    // Between two questions the calibrator waits for the server's turn (none by default).
    void setNextTurn(NextTurn nextTurn) { m_nextTurn = std::move(nextTurn); }

    CalibrationResult calibrate(const CalibrationTarget& target);

private:
    WhoisLookup& m_lookup;
    LabelSource m_labels;
    NextTurn m_nextTurn;
};

} // namespace cvt
