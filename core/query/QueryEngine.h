#pragma once

#include "core/names/NameList.h"
#include "core/names/RefusedNames.h"
#include "core/names/SearchRefusal.h"
#include "core/query/CellLookups.h"
#include "core/query/PaceClock.h"
#include "core/query/QueryEvents.h"
#include "core/query/ResultTable.h"
#include "core/query/RunSettings.h"
#include "core/query/ServerEntry.h"
#include "core/query/ServerPaceBook.h"
#include "core/query/ThreadComponent.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

class DnsStage;
class QueryLane;
struct SearchCandidates;
class RdapClient;
class WhoisLookup;

enum class SearchMode {
    Pattern, // the names come from the pattern box
    Text,    // the names come from a word list
};

// What the Search command is given.
struct SearchRequest {
    SearchMode mode = SearchMode::Pattern;
    std::string patternText; // pattern mode: the pattern box's text as it stands
    NameList words;          // text mode: the word list, line for line
    // Answers known without asking (a resumed search, a recent answer): given a name and the entry
    // of a suffix, the cell to publish instead of asking, or nothing. Called from several lanes at
    // once; empty: every cell is asked.
    std::function<std::optional<AnsweredCell>(std::string_view name, const ServerEntry& entry)> recall;
};

struct SearchOutcome {
    enum class Status {
        Started, // the run worker was activated
        Refused, // refusal says why; nothing changed
        Busy,    // a run or a re-query pass is in progress; nothing changed
    };
    Status status = Status::Busy;
    SearchRefusal refusal; // meaningful when Refused
};

// A cell the re-query pass asks again.
struct RequeryCell {
    std::size_t row = 0;
    std::string name;   // the row's caption
    std::string suffix; // the column's caption
};

// Adds row `row`'s cells that failed or were never asked, column by column (a row shorter than the
// columns gives its missing cells too). captions are the table's, the name column first.
void AddCellsToRequery(std::size_t row, const ResultRow& content, const std::vector<std::string>& captions,
                       std::vector<RequeryCell>& cells);
// The same for every row of the table.
std::vector<RequeryCell> CellsToRequery(const ResultTable& table);

// What the engine works with. Every object must outlive the engine.
struct QueryEngineDeps {
    QueryEventSink& sink;
    // Makes the WHOIS client of one lane; called on the run's worker for every lane of every run.
    std::function<std::unique_ptr<WhoisLookup>()> makeClient;
    // The pace's clock; null for the steady clock.
    PaceClock* clock = nullptr;
    // Told the message of an error that escaped a worker (the worker has ended, its clean-up done).
    std::function<void(const std::string& message)> reportError;
    // Makes the RDAP client of a lane that has RDAP entries; null for the plain RdapClient.
    std::function<std::unique_ptr<RdapClient>()> makeRdapClient = {};
    // Gives WHOIS entries without a mark their calibrated text, on the lane's thread; null: such
    // entries have every cell failed.
    CalibrateEntry calibrate = {};
};

// The query engine: the search, stop and requery commands, the query run in lanes and the re-query pass,
// written once for the window and the command-line tool. It keeps no result table: it publishes
// what happens to its sink, whose owner keeps the table.
//
// A run groups the ticked entries into lanes: with RunSettings::parallel one lane per server
// (laneKey: a WHOIS host, or the host of an RDAP base), otherwise one lane for all. Each lane walks the candidates in
// order and asks its entries for each name, one exchange at a time, on its own connection; the
// lanes run at the same time. A name's row is appended when the first lane reaches it, so rows
// come in candidate order. The re-query pass uses the same lanes, and each server's pace (its
// interval and the back-off it reached) goes on from where the run or the pass before left it; a
// new run starts every server afresh. A lane asks a WHOIS entry's host
// on port 43 and an RDAP entry (https:// base address) over HTTPS.
//
// With RunSettings::dns the run asks DNS first (DnsStage), ahead of the lanes: a cell whose name is
// delegated is registered ("Delegated in DNS: ..." as its details) without asking the registry; every
// other cell reaches its lane's registry as without DNS, in the lane's order.
//
// Commands are called from one thread, the owner's; stop and stopRequery from any.
class QueryEngine {
public:
    explicit QueryEngine(QueryEngineDeps deps);
    // Stops and waits for both workers (see shutdown()).
    ~QueryEngine();
    QueryEngine(const QueryEngine&) = delete;
    QueryEngine& operator=(const QueryEngine&) = delete;

    // The Search command: checks the request and activates the run worker, which prepares and
    // sorts the candidate list and then runs the lanes. Refused, with the reason as a value: a
    // blank pattern, a pattern the expansion refuses (unclosed "[", too many
    // names), an empty server table. Busy while a run or a re-query pass is in progress; a run
    // still stopping is allowed (the new run starts when the old worker has ended).
    SearchOutcome search(SearchRequest request);

    // The Stop command: every lane ends after its exchange under way (whose cell is still
    // reported; an exchange still looking its host up ends at once, failed); pauses end at once. Stop during the
    // preparation ends the run without asking.
    void stop();

    // The re-query command: asks the given cells again on the re-query worker. Returns false,
    // doing nothing, while a run or a pass is in progress.
    bool requery(std::vector<RequeryCell> cells);
    // Ends a re-query pass after the cells under way (the command-line tool's Ctrl-C).
    void stopRequery();

    // The server table as it stands after a change (the column upkeep is the table owner's).
    void setServerEntries(std::vector<ServerEntry> entries);
    // Lanes, pace and back-off of the next run or pass.
    void setSettings(RunSettings settings);

    // The first stored server entry whose caption, trimmed, equals caption exactly.
    std::optional<ServerEntry> FindServerEntry(std::string_view caption) const;

    // Closing: stops the run and a pass, cancels the exchanges under way (their cells fail),
    // ends every pause and waits for both workers. Every later command is refused.
    void shutdown();

    // Makes the exchanges under way fail at once (their cells fail). Any thread.
    void cancelExchanges();

    RunProgress progress() const;
    // The candidates of the last run left out because they hold a control character (known once the
    // run is past preparing).
    std::size_t droppedNames() const { return m_droppedNames.load(); }
    // The candidates of the last run left out because their bytes are neither UTF-8 nor GBK.
    std::size_t undecodableNames() const { return m_undecodableNames.load(); }
    // The international candidates of the last run that libidn2 refused, with the first few.
    RefusedNames refusedNames() const;
    // A run whose Stop has not yet been given: what the window shows as an enabled Stop button.
    bool isRunActive() const;
    // A run (a stopping one included) or a pass holds the table.
    bool isBusy() const;

    // Waits until both workers have ended (the command-line tool and tests use it).
    void waitIdle();

    // The run worker's and the re-query worker's handlers.
    void threadRun(const WorkerState& worker);
    void requeryThreadRun(const WorkerState& worker);

    // Stop has been given since the last search started. Any thread.
    bool stopRequested() const { return m_stopRequested.load(); }

private:
    std::atomic<bool> m_stopRequested{false};
    std::atomic<std::size_t> m_droppedNames{0};
    std::atomic<std::size_t> m_undecodableNames{0};
    RefusedNames m_refusedNames; // under m_stateMutex

    struct RunRequest;
    struct RunShared;
    struct RequeryRequest;

    bool runStopRequested(const WorkerState& worker) const;
    std::unique_ptr<QueryLane> makeLane(const RunSettings& settings, std::vector<ServerEntry> entries);
    void releaseLane(QueryLane& lane);
    // Ends the host lookups of the live lanes; called under m_stateMutex.
    void cancelHostLookups();
    SearchCandidates prepareNames(RunRequest& request);
    void walkLane(QueryLane& lane, RunShared& shared, const WorkerState& worker);
    void requeryLane(QueryLane& lane, std::vector<RequeryCell> cells, std::size_t total, const WorkerState& worker);
    void publishState(RunState state, std::size_t done, std::size_t total);
    void runCleanUp(std::uint64_t activation);
    void requeryCleanUp(std::uint64_t activation);
    void reportWorkerError(const std::string& message);

    QueryEventSink& m_sink;
    std::function<std::unique_ptr<WhoisLookup>()> m_makeClient;
    std::function<std::unique_ptr<RdapClient>()> m_makeRdapClient;
    CalibrateEntry m_calibrate;
    std::unique_ptr<PaceClock> m_ownClock;
    PaceClock& m_clock;
    std::function<void(const std::string&)> m_reportError;
    // Used by the worker holding m_workMutex.
    ServerPaceBook m_paces;

    // Guards the fields below; state events are published under it, so they arrive in order.
    mutable std::mutex m_stateMutex;
    std::vector<ServerEntry> m_entries;
    RunSettings m_settings;
    std::unique_ptr<RunRequest> m_pendingRun;
    std::unique_ptr<RequeryRequest> m_pendingRequery;
    std::uint64_t m_latestRunActivation = 0;
    bool m_runInProgress = false;
    bool m_requeryInProgress = false;
    bool m_closing = false;
    RunProgress m_progress;
    std::vector<QueryLane*> m_liveLanes; // cancelled on closing
    DnsStage* m_liveDns = nullptr;       // the run's DNS stage, woken by Stop

    // Held by a worker for its whole handler, so the run and the pass never overlap.
    std::mutex m_workMutex;

    ThreadComponent thread;
    ThreadComponent requeryThread;
};

} // namespace cvt
