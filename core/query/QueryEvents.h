#pragma once

#include "core/query/Mark.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace cvt {

// Where a run or a re-query pass stands.
enum class RunState {
    Idle,
    Preparing,  // a Search was given; the candidate list is being made on the worker
    Running,    // the lanes are asking
    Stopping,   // Stop was given; the lanes finish the exchanges under way
    Requerying, // a re-query pass is asking the failed and empty cells again
};

struct RunProgress {
    RunState state = RunState::Idle;
    // Running: names done (a name is done when all its ticked cells have been asked; with lanes off,
    // the name being asked counts, as the progress panel always showed). Requerying: cells asked.
    std::size_t done = 0;
    std::size_t total = 0;
    // The run asks DNS first; dnsSettled cells were found delegated there and marked without asking
    // the registry.
    bool dns = false;
    std::size_t dnsSettled = 0;
    bool operator==(const RunProgress&) const = default;
};

// A row the run made for a name, at index `row` of a table the run started empty.
struct AppendedRow {
    std::size_t row = 0;
    std::string caption;
};

// Where a cell's mark came from.
enum class AnswerOrigin {
    Asked,   // the run asked for it now
    Reused,  // a recent answer from the journal, not asked again
    Resumed, // answered earlier in this same search, before it was interrupted
};

// One cell's outcome: row `row`, the column whose caption is `suffix`.
struct AnsweredCell {
    std::size_t row = 0;
    std::string name;
    std::string suffix;
    Mark mark = Mark::Unasked;
    // Why a cell failed or was refused ("Read Timeout", "refused: WHOIS LIMIT EXCEEDED"); empty
    // for an answer.
    std::string details;
    // How the cell was asked: "whois", "rdap" or "dns", and the suffix's server field.
    std::string via{};
    std::string server{};
    AnswerOrigin origin = AnswerOrigin::Asked;
    // When a reused or resumed answer was asked (seconds since the epoch); 0 for one asked now.
    std::int64_t askedAt = 0;
    // How long the exchange with the registry took; 0 when none was made (DNS settled the cell, or
    // the answer came from the journal).
    std::chrono::milliseconds elapsed{0};
};

// Receives everything the query engine does, in the order it happens. Called from the engine's
// commands and its workers, several lanes at once: an implementation must be thread-safe, must
// not block for long and must not call back into the engine. Events of one row always come after
// its rowAppended.
class QueryEventSink {
public:
    virtual ~QueryEventSink() = default;

    // A new run begins: its table starts empty (the previous run's worker has ended).
    virtual void rowsCleared() = 0;
    virtual void rowAppended(const AppendedRow& row) = 0;
    virtual void cellAnswered(const AnsweredCell& cell) = 0;
    virtual void runStateChanged(const RunProgress& progress) = 0;
    // The first status panel: the latest exchange started, or the server being waited for.
    virtual void activityChanged(const std::string& text) = 0;
};

} // namespace cvt
