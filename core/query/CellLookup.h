#pragma once

#include "core/query/ResultMarks.h"
#include "core/query/ServerEntry.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace cvt {

// What one exchange about one cell came to, with what the lane's pace needs to know of it.
struct CellAnswer {
    CellOutcome outcome;
    // The wait the server asked for before the next exchange (a Retry-After), if it did.
    std::optional<std::chrono::seconds> retryAfter;
    // The exchange was cancelled before it came to anything: the server's pace stays as it was.
    bool cancelled = false;
};

// One way of asking a registry about a cell (one lookup kind). A lane holds one per kind its
// entries need and asks each cell through the one its entry's kind names; used by one thread at a
// time apart from the cancel calls.
class CellLookup {
public:
    virtual ~CellLookup() = default;

    // Asks the entry's server about query ("name.suffix") and judges the answer. A failed exchange
    // is an answer too: failed, with its reason.
    virtual CellAnswer ask(const ServerEntry& entry, const std::string& query) = 0;

    // Asks the entry's server about query and gives its whole answer, unjudged, as the details
    // window shows it; throws on a failed exchange (and is ready for the next one).
    virtual std::string reply(const ServerEntry& entry, const std::string& query) = 0;

    // Thread-safe: makes the exchange under way (and every later one) fail at once.
    virtual void cancel() = 0;
    // Thread-safe: makes a host name lookup under way (and every later one) fail at once.
    virtual void cancelHostLookup() {}

    // Waits until the server ("host[:port]") may be asked again; false when the run stops.
    using NextTurn = std::function<bool(const std::string& serverField)>;
    // The wait for exchanges a cell needs beyond its own (a calibration's questions); none is waited
    // for until it is set.
    virtual void setNextTurn(NextTurn nextTurn) { static_cast<void>(nextTurn); }
};

// The first line of a failure's message, trimmed: "Read Timeout", "Socket Error # 10061".
std::string failureReason(std::string_view message);

} // namespace cvt
