#pragma once

#include "core/NameList.h"
#include "core/ResultTable.h"
#include "core/ServerEntry.h"
#include "core/ThreadComponent.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

class QueryControls;
class WhoisLookup;

enum class SearchMode {
    Pattern, // the names come from the pattern box
    Text,    // the names come from a word list
};

// What the Search command is given.
struct SearchRequest {
    SearchMode mode = SearchMode::Pattern;
    std::string patternText;  // pattern mode: the pattern box's text as it stands
    NameList words;           // text mode: the word list, line for line
    std::string languageCode; // chooses the wording of a refusal
};

struct SearchOutcome {
    enum class Status {
        Started, // the run worker was activated
        Refused, // message holds the text to show in an error box; nothing changed
        Busy,    // a run or a re-query pass is in progress; nothing changed
    };
    Status status = Status::Busy;
    std::string message;
    // Candidates left out because they hold a control character (a started run only).
    std::size_t droppedNames = 0;
};

// What the engine works with. Every object must outlive the engine.
struct QueryEngineDeps {
    ResultTable& table;
    QueryControls& controls;
    WhoisLookup& whois;
    // Told the message of an error that escaped a worker (the worker has ended, its clean-up done).
    std::function<void(const std::string& message)> reportError;
};

// The query engine: the Search and Stop commands, the query run, the column upkeep and the re-query
// pass, written once for the window and the command-line tool.
//
// Commands (btnSearchClick, btnStopClick, N2Click, lvWhoisChange, shutdown) are called from one
// thread, the owner's (the GUI thread in the window). The run and the re-query pass run on workers
// of their own and report to the window only through QueryControls and the result table's listener.
//
// A run, a re-query pass and the result-list commands never work on the table at the same time: a
// run or pass disables the popup items, the server table, the mode group and Search while it lasts;
// the commands here refuse to start one while the other is in progress; and the two workers take
// one work lock besides.
class QueryEngine {
public:
    explicit QueryEngine(QueryEngineDeps deps);
    // Stops and waits for both workers (see shutdown()).
    ~QueryEngine();
    QueryEngine(const QueryEngine&) = delete;
    QueryEngine& operator=(const QueryEngine&) = delete;

    // The Search command: checks the request, prepares the candidate list, switches the controls to
    // their running state and activates the run worker. Refused, with the message for the request's
    // language: a blank pattern, a pattern the expansion refuses (unclosed "[", too many names), an
    // empty server table. Busy while a re-query pass is in progress. A run still stopping is allowed:
    // the new run starts when the old worker has ended, and the table is emptied only then.
    SearchOutcome btnSearchClick(SearchRequest request);

    // The Stop command: the run ends after the exchange under way (whose cell is still written).
    // Search is enabled at once; the popup items come back when the worker has run its clean-up.
    // Safe from any thread (the command-line tool calls it on Ctrl-C).
    void btnStopClick();

    // Ends a re-query pass after the cell under way. Unlike the other commands it may be called from
    // any thread (the command-line tool calls it on Ctrl-C); the window offers no way to stop a pass.
    void stopRequery();

    // The re-query command: asks again every cell marked "-" or empty, on the re-query worker.
    // Returns false, doing nothing, while a run or a pass is in progress.
    bool N2Click();

    // The column upkeep, run on every change of the server table: stores the entries (the next
    // Search and re-query use them) and brings the suffix columns into line with the ticks. A
    // suffix keeps its column while any entry with that caption is ticked; a column that goes
    // takes its cells with it. Captions are compared trimmed of blanks.
    void lvWhoisChange(const std::vector<ServerEntry>& entries);

    // The first stored server entry whose caption, trimmed, equals caption exactly.
    std::optional<ServerEntry> FindServerEntry(std::string_view caption) const;

    // Closing: stops the run, makes a re-query pass end after its current cell, cancels the exchange
    // under way (its cell is marked "-") and waits for both workers. The clean-ups then leave the
    // controls alone, and every later command is refused. Call it before the table, the controls or
    // the WHOIS client go away.
    void shutdown();

    // From a Search until the clean-up of its run (a stopping run included): the popup items and
    // the re-query command are unavailable.
    bool isRunning() const;
    // A run whose Stop has not yet been given: what the window shows as an enabled Stop button.
    bool isRunActive() const;
    // From the re-query command until the pass's clean-up.
    bool isRequerying() const;
    // A run or a pass holds the table: the result-list commands must wait.
    bool isBusy() const { return isRunning() || isRequerying(); }

    // Waits until both workers have ended (the command-line tool and tests use it).
    void waitIdle();

    // The names of the current run, sorted (or of the last run).
    NameList candidates() const;

    // The run worker's and the re-query worker's handlers.
    void threadRun(const WorkerState& worker);
    void requeryThreadRun(const WorkerState& worker);

    std::atomic<bool> StopFlag{false};

private:
    struct RunRequest {
        std::uint64_t activation = 0;
        NameList names;
        std::vector<ServerEntry> entries;
    };

    bool runStopRequested(const WorkerState& worker) const;
    std::string askServer(const std::string& hostField, const std::string& query);
    void walkCandidates(const std::vector<ServerEntry>& entries, const WorkerState& worker);
    void runCleanUp(std::uint64_t activation);
    void requeryCell(std::size_t row, std::size_t column, const ResultRow& content);
    void requeryCleanUp(std::uint64_t activation);
    void reportWorkerError(const std::string& message);

    ResultTable& m_table;
    QueryControls& m_controls;
    WhoisLookup& m_whois;
    std::function<void(const std::string&)> m_reportError;

    // Guards the fields below and orders the control changes made by commands and by clean-ups,
    // so a finishing worker's clean-up never undoes the running state a newer Search has set.
    mutable std::mutex m_stateMutex;
    std::vector<ServerEntry> m_entries;
    std::optional<RunRequest> m_pendingRun;
    std::uint64_t m_latestRunActivation = 0;
    bool m_runInProgress = false;     // from Search until the clean-up of the newest run
    bool m_requeryInProgress = false; // from the re-query command until the pass's clean-up
    bool m_closing = false;
    // Written by the run worker under m_stateMutex; read by it without.
    NameList Candidates;

    // Held by a worker for its whole handler, so the run and the pass never overlap.
    std::mutex m_workMutex;

    ThreadComponent thread;
    ThreadComponent requeryThread;
};

} // namespace cvt
