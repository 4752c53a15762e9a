#pragma once

#include "cli/CheckProgress.h"
#include "core/NetWhoisLookup.h"
#include "core/QueryControls.h"
#include "core/QueryEngine.h"
#include "core/ResultTable.h"

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
};

struct CheckRunRequest {
    std::vector<ServerEntry> entries;
    SearchRequest search;
    // After the run, ask the failed cells once more; a row with a failed cell is finished only then.
    bool retry = false;
};

struct CheckRunResult {
    ResultTableSnapshot table;
    // The Search was refused (an empty pattern, too many names, no suffix): the message, no table.
    std::optional<std::string> refusal;
    // Messages of errors that escaped a worker.
    std::vector<std::string> errors;
};

// The query engine under the check command: the result table, the run and the re-query pass, and
// what Ctrl-C does to them. interrupt() may be called from any thread at any time, before, during
// and after run().
class CheckRun : private ResultTableListener {
public:
    CheckRun(CheckRunObserver& observer, const std::string& languageCode);
    ~CheckRun() override;
    CheckRun(const CheckRun&) = delete;
    CheckRun& operator=(const CheckRun&) = delete;

    CheckRunResult run(CheckRunRequest request);
    // The first Ctrl-C stops after the exchange under way (and ends a re-query pass after its cell);
    // a later one also abandons that exchange, whose cell then counts as failed.
    void interrupt(int count);
    bool interrupted() const { return m_interrupted.load(); }

private:
    void columnAppended(const std::string&) override {}
    void columnRemoved(std::size_t) override {}
    void columnCaptionChanged(std::size_t, const std::string&) override {}
    void rowAppended(const ResultRow& row) override;
    void rowsRemoved(const std::vector<std::size_t>&) override {}
    void rowsCleared() override;
    void rowCaptionChanged(std::size_t, const std::string&) override {}
    void cellChanged(std::size_t row, std::size_t cell, const std::string& mark) override;

    void finishCurrentRow();
    void finishCurrentRowLocked();
    void count(const std::string& mark, int step);

    // The engine's progress panel reads "done/total": the total is the number of names of the run.
    class ProgressControls : public NullQueryControls {
    public:
        explicit ProgressControls(CheckRun& run) : m_run(run) {}
        void setStatusText(int panel, const std::string& text) override;

    private:
        CheckRun& m_run;
    };

    CheckRunObserver& m_observer;
    ResultTable m_table;
    ProgressControls m_controls{*this};
    NetWhoisLookup m_whois;
    std::mutex m_errorMutex;
    std::vector<std::string> m_errors;
    QueryEngine m_engine;

    std::atomic<bool> m_interrupted{false};
    std::atomic<bool> m_running{false};

    // The run's rows as they come (the listener is called under the table's lock, so these are kept
    // here rather than read back from the table); guarded by m_rowMutex.
    std::mutex m_rowMutex;
    bool m_retry = false;
    bool m_requerying = false;
    std::size_t m_columns = 0;
    std::size_t m_rowCount = 0;
    std::optional<std::size_t> m_currentIndex;
    ResultRow m_current;
    std::vector<std::size_t> m_held; // rows with a failed cell, finished after the re-query pass
    CheckProgress m_progress;
};

} // namespace cvt::cli
