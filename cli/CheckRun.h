#pragma once

#include "cli/CheckProgress.h"
#include "core/journal/JournalSink.h"
#include "core/query/QueryEngine.h"
#include "core/query/QueryEvents.h"
#include "core/query/ResultTable.h"
#include "core/query/RunSettings.h"

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace cvt::cli {

// What a check run tells while it goes. Calls come from the run's threads, one at a time, and must
// not wait for the thread that called CheckRun::run().
class CheckRunObserver {
public:
    virtual ~CheckRunObserver() = default;
    // Before the first name: the column captions (index 0 = the name column).
    virtual void runStarted(const std::vector<std::string>& captions) = 0;
    // A row whose cells will not change any more in this run.
    virtual void rowFinished(const ResultRow& row) = 0;
    virtual void progressChanged(const CheckProgress& progress) = 0;
    // A line for the user, such as the notice that the run is stopping.
    virtual void note(const std::string& text) = 0;
    // One cell's outcome as it comes, re-query passes included.
    virtual void cellAnswered(const AnsweredCell& cell) { static_cast<void>(cell); }
};

struct CheckRunRequest {
    std::vector<ServerEntry> entries;
    SearchRequest search;
    // Lanes, pace and back-off.
    RunSettings settings;
    // After the run, ask the failed cells again in up to this many passes; a row with a failed
    // cell is finished only after them.
    int retries = 0;
    // Where the answered cells are journaled; null: nowhere.
    JournalWriter* journal = nullptr;
    // Which finished rows the result's table keeps (null: all of them). A row not kept is let go
    // once the observer has had it, so that a run whose output streams holds only the rows still
    // being asked.
    std::function<bool(const ResultRow&)> keepRow = {};
};

struct CheckRunResult {
    // The rows kept (CheckRunRequest::keepRow), in row order.
    ResultTableSnapshot table;
    // Every row's cells counted, kept or not: rows, and cells by mark.
    std::size_t rows = 0;
    MarkCounts marks;
    // The Search was refused (an empty pattern, too many names, no suffix): why, and no table.
    std::optional<SearchRefusal> refusal;
    // Messages of errors that escaped a worker.
    std::vector<std::string> errors;
    // The run asked DNS first: of the runCells cells it answered, dnsSettled were found delegated.
    bool dns = false;
    std::size_t dnsSettled = 0;
    std::size_t runCells = 0;
};

// The query engine under the check command: the rows of its table while they are asked (kept from
// the engine's events; once finished, on to the observer and into the result when it keeps them),
// the run and the re-query pass, and what Ctrl-C does to them. interrupt() may be called
// from any thread at any time, before, during and after run().
class CheckRun : private QueryEventSink {
public:
    // calibrate gives WHOIS entries without a mark their calibrated text (see QueryEngineDeps).
    CheckRun(CheckRunObserver& observer, const std::string& languageCode, CalibrateEntry calibrate = {});
    ~CheckRun() override;
    CheckRun(const CheckRun&) = delete;
    CheckRun& operator=(const CheckRun&) = delete;

    CheckRunResult run(CheckRunRequest request);
    // The first Ctrl-C stops after the exchanges under way (and ends a re-query pass after its
    // cells); a later one also abandons them, whose cells then count as failed.
    void interrupt(int count);
    bool interrupted() const { return m_interrupted.load(); }

private:
    void rowsCleared() override;
    void rowAppended(const AppendedRow& row) override;
    void cellAnswered(const AnsweredCell& cell) override;
    void runStateChanged(const RunProgress& progress) override;
    void activityChanged(const std::string&) override {}

    // Under m_mutex: the row while it may still change (null once it is finished and handed on).
    ResultRow* openRow(std::size_t row);
    // Hands on the row once every suffix column holds a mark.
    void finishIfComplete(std::size_t row);
    // Holds a row with a cell to ask again for the re-query pass, or hands it on.
    void settle(std::size_t row);
    void finishRow(std::size_t row, ResultRow content);
    void count(Mark mark, int step);

    CheckRunObserver& m_observer;
    std::mutex m_errorMutex;
    std::vector<std::string> m_errors;

    // Guards the rows and the bookkeeping below; the engine's lanes report at the same time.
    std::mutex m_mutex;
    ResultTable m_columns; // the captions; its rows stay empty
    struct OpenRow {
        ResultRow content;
        bool finished = false;
    };
    // Rows m_firstOpen on; the finished ones at the front are let go.
    std::deque<OpenRow> m_open;
    std::size_t m_firstOpen = 0;
    std::map<std::size_t, ResultRow> m_held;               // rows with a failed cell, finished after the re-query pass
    std::vector<std::pair<std::size_t, ResultRow>> m_kept; // finished rows of the result, as they came
    std::function<bool(const ResultRow&)> m_keepRow;
    int m_retries = 0;
    bool m_requerying = false;
    CheckProgress m_progress;
    RunProgress m_runProgress; // the engine's latest word on the run
    std::size_t m_runCells = 0;

    // The engine's events pass through it on their way here, to reach the journal too.
    JournalSink m_journalSink{*this};
    QueryEngine m_engine;
    std::atomic<bool> m_interrupted{false};
    std::atomic<bool> m_running{false};
};

} // namespace cvt::cli
