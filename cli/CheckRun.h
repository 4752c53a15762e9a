#pragma once

#include "cli/CheckProgress.h"
#include "core/journal/JournalSink.h"
#include "core/query/QueryEngine.h"
#include "core/query/QueryEvents.h"
#include "core/query/ResultTable.h"
#include "core/query/RunSettings.h"

#include <atomic>
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
};

struct CheckRunResult {
    ResultTableSnapshot table;
    // The Search was refused (an empty pattern, too many names, no suffix): why, and no table.
    std::optional<SearchRefusal> refusal;
    // Messages of errors that escaped a worker.
    std::vector<std::string> errors;
    // The run asked DNS first: of the runCells cells it answered, dnsSettled were found delegated.
    bool dns = false;
    std::size_t dnsSettled = 0;
    std::size_t runCells = 0;
};

// The query engine under the check command: the command's result table (kept from the engine's
// events), the run and the re-query pass, and what Ctrl-C does to them. interrupt() may be called
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

    // Under m_mutex: hands on the row once every suffix column holds a mark.
    void finishIfComplete(std::size_t row);
    void finishRow(std::size_t row);
    void count(Mark mark, int step);

    CheckRunObserver& m_observer;
    std::mutex m_errorMutex;
    std::vector<std::string> m_errors;

    // Guards the table and the bookkeeping below; the engine's lanes report at the same time.
    std::mutex m_mutex;
    ResultTable m_table;
    std::vector<bool> m_finished;    // per row: handed on already
    std::vector<std::size_t> m_held; // rows with a failed cell, finished after the re-query pass
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
