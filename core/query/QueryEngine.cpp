#include "core/query/QueryEngine.h"

#include "core/names/NameEncoding.h"
#include "core/names/PatternExpansion.h"
#include "core/names/SearchCandidates.h"
#include "core/query/CellLookupSet.h"
#include "core/query/DnsStage.h"
#include "core/query/QueryLane.h"
#include "core/query/ResultMarks.h"
#include "core/query/WhoisLookup.h"
#include "net/rdap/RdapClient.h"
#include "text/AskedPart.h"
#include "text/TextUtil.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <iostream>
#include <optional>
#include <thread>
#include <utility>

namespace cvt {

namespace {

std::chrono::milliseconds sinceStart(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

constexpr std::string_view kConnectingPrefix = "Connecting ";
// A lane whose exchanges follow each other faster than this names the one under way no more often:
// nobody reads the status line faster, and every line costs the owner a queued event.
constexpr std::chrono::milliseconds kConnectingLineGap{50};

std::string joinQuery(std::string_view name, std::string_view suffix) {
    std::string query;
    query.reserve(name.size() + 1 + suffix.size());
    query.append(name).append(".").append(suffix);
    return query;
}

// Asks the registry about name under suffix by the domain's A-label form; a domain libidn2 refuses
// is never sent as it stands.
CellOutcome askDomain(QueryLane& lane, const ServerEntry& entry, AskedPart& name, AskedPart& suffix) {
    const IdnConversion asked = AskedPart::domain(name, suffix);
    if (asked.refused()) {
        return {Mark::Failed, "not an international domain name: " + asked.refusal, false};
    }
    return lane.askCell(entry, asked.name);
}

// Runs every job at once: the first on this thread, the others on threads of their own. Rethrows
// the first error that escaped a job once all have ended.
void runTogether(std::vector<std::function<void()>> jobs) {
    std::vector<std::exception_ptr> errors(jobs.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < jobs.size(); ++i) {
        threads.emplace_back([&jobs, &errors, i] {
            try {
                jobs[i]();
            } catch (...) {
                errors[i] = std::current_exception();
            }
        });
    }
    if (!jobs.empty()) {
        try {
            jobs[0]();
        } catch (...) {
            errors[0] = std::current_exception();
        }
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::exception_ptr& error : errors) {
        if (error) {
            std::rethrow_exception(error);
        }
    }
}

// Puts the item into the lane of key; a key seen for the first time opens a new lane after the
// others, so lanes keep the order in which their first item came.
template <typename Item>
void addToLane(std::vector<std::string>& keys, std::vector<std::vector<Item>>& lanes, const std::string& key,
               Item item) {
    const auto found = std::find(keys.begin(), keys.end(), key);
    const auto lane = static_cast<std::size_t>(found - keys.begin());
    if (found == keys.end()) {
        keys.push_back(key);
        lanes.emplace_back();
    }
    lanes[lane].push_back(std::move(item));
}

// The lanes of a run: the ticked entries grouped by server (or all in one lane), in the order of
// the server table.
std::vector<std::vector<ServerEntry>> planLanes(const std::vector<ServerEntry>& entries, bool parallel) {
    std::vector<std::vector<ServerEntry>> lanes;
    std::vector<std::string> keys;
    for (const ServerEntry& entry : entries) {
        if (!entry.ticked) {
            continue;
        }
        addToLane(keys, lanes, parallel ? laneKey(entry.host) : std::string(), entry);
    }
    return lanes;
}

// The suffixes a run asks, each once, in lane order, with their name servers.
std::vector<DnsSuffix> runSuffixes(const std::vector<std::vector<ServerEntry>>& plan) {
    std::vector<DnsSuffix> suffixes;
    for (const std::vector<ServerEntry>& lane : plan) {
        for (const ServerEntry& entry : lane) {
            std::string suffix(trim(entry.caption));
            if (std::find_if(suffixes.begin(), suffixes.end(),
                             [&suffix](const DnsSuffix& known) { return known.name == suffix; }) == suffixes.end()) {
                suffixes.emplace_back(std::move(suffix), entry.nameServers);
            }
        }
    }
    return suffixes;
}

// How the cell was asked: as its lookup says; for a cell no lookup asked (a name never sent, a server
// given up), "whois" for a WHOIS host and "rdap" for an RDAP base address.
std::string askedVia(const ServerEntry& entry, const CellOutcome& outcome) {
    if (!outcome.via.empty()) {
        return outcome.via;
    }
    return entry.kind == LookupKind::Whois ? "whois" : "rdap";
}

const ServerEntry* findEntry(const std::vector<ServerEntry>& entries, std::string_view caption) {
    for (const ServerEntry& entry : entries) {
        if (trim(entry.caption) == caption) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

struct QueryEngine::RunRequest {
    std::uint64_t activation = 0;
    SearchMode mode = SearchMode::Pattern;
    std::string patternText;
    NameList names;
    std::vector<ServerEntry> entries;
    RunSettings settings;
    std::function<std::optional<AnsweredCell>(std::string_view, const ServerEntry&)> recall;
};

struct QueryEngine::RequeryRequest {
    std::vector<RequeryCell> cells;
    std::vector<ServerEntry> entries;
    RunSettings settings;
};

// What the lanes of one run share.
struct QueryEngine::RunShared {
    explicit RunShared(const SearchCandidates& candidates) : names(candidates.names), aLabels(candidates.aLabels) {}
    const NameList& names;
    // The A-label forms of the names that have one (SearchCandidates::aLabels).
    const NameList& aLabels;
    std::size_t laneCount = 1;
    // The row of each name, when neighbouring names share rows; empty when every name has its own.
    std::vector<std::uint32_t> rowOf;
    // Per name, the lanes that have asked all their entries for it (lanes on).
    std::unique_ptr<std::atomic<std::uint16_t>[]> lanesDone;
    std::size_t namesDone = 0;
    // Asks DNS ahead of the lanes; null when the run does not.
    DnsStage* dns = nullptr;
    // Answers known without asking; empty when there are none.
    const std::function<std::optional<AnsweredCell>(std::string_view, const ServerEntry&)>* recall = nullptr;

    std::mutex rowMutex;
    // Names whose rows exist (written under rowMutex, read without it), and rows appended so far.
    std::atomic<std::size_t> publishedNames{0};
    std::size_t publishedRows = 0;

    std::size_t row(std::size_t name) const { return rowOf.empty() ? name : rowOf[name]; }
};

void AddCellsToRequery(std::size_t row, const ResultRow& content, const std::vector<std::string>& captions,
                       std::vector<RequeryCell>& cells) {
    for (std::size_t column = 1; column < captions.size(); ++column) {
        const std::size_t cell = column - 1;
        if (cell >= content.cells.size() || needsRequery(content.cells[cell])) {
            cells.push_back({row, content.caption, captions[column]});
        }
    }
}

std::vector<RequeryCell> CellsToRequery(const ResultTable& table) {
    std::vector<RequeryCell> cells;
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        AddCellsToRequery(row, table.rows()[row], table.captions(), cells);
    }
    return cells;
}

QueryEngine::QueryEngine(QueryEngineDeps deps)
    : m_sink(deps.sink), m_makeClient(std::move(deps.makeClient)), m_makeRdapClient(std::move(deps.makeRdapClient)),
      m_calibrate(std::move(deps.calibrate)),
      m_ownClock(deps.clock == nullptr ? std::make_unique<SystemPaceClock>() : nullptr),
      m_clock(deps.clock == nullptr ? *m_ownClock : *deps.clock), m_reportError(std::move(deps.reportError)),
      thread([this](const WorkerState& worker) { threadRun(worker); },
             [this](const std::string& message) { reportWorkerError(message); }),
      requeryThread([this](const WorkerState& worker) { requeryThreadRun(worker); },
                    [this](const std::string& message) { reportWorkerError(message); }) {}

QueryEngine::~QueryEngine() {
    shutdown();
}

SearchOutcome QueryEngine::search(SearchRequest request) {
    auto run = std::make_unique<RunRequest>();
    {
        std::lock_guard lock(m_stateMutex);
        if (m_closing || m_requeryInProgress || thread.isActive()) {
            return {SearchOutcome::Status::Busy, {}};
        }
        run->entries = m_entries;
        run->settings = m_settings;
    }
    if (request.mode == SearchMode::Pattern) {
        // The checks are quick; making the names is left to the worker.
        try {
            CheckPattern(request.patternText);
        } catch (const PatternError& refusal) {
            return {SearchOutcome::Status::Refused, refusal.refusal()};
        }
    }
    if (run->entries.empty()) {
        return {SearchOutcome::Status::Refused, {SearchRefusal::Reason::NoServer, {}}};
    }
    run->mode = request.mode;
    run->patternText = std::move(request.patternText);
    run->names = std::move(request.words);
    run->recall = std::move(request.recall);

    std::lock_guard lock(m_stateMutex);
    // A stopping worker keeps its own deactivation, so clearing the flag cannot revive it.
    m_stopRequested.store(false);
    // The worker takes its request under m_stateMutex, so it cannot look before it is stored.
    run->activation = thread.activate();
    m_latestRunActivation = run->activation;
    m_pendingRun = std::move(run);
    m_runInProgress = true;
    m_progress = {RunState::Preparing, 0, 0};
    m_progress.dns = m_pendingRun->settings.dns;
    m_sink.runStateChanged(m_progress);
    return {SearchOutcome::Status::Started, {}};
}

void QueryEngine::stop() {
    {
        std::lock_guard lock(m_stateMutex);
        m_stopRequested.store(true);
        if (!thread.isActive()) {
            return;
        }
        thread.deactivate();
        if (m_runInProgress) {
            m_progress.state = RunState::Stopping;
            m_sink.runStateChanged(m_progress);
        }
        if (m_liveDns != nullptr) {
            m_liveDns->interrupt();
        }
        cancelHostLookups();
    }
    m_clock.wake();
}

bool QueryEngine::requery(std::vector<RequeryCell> cells) {
    std::lock_guard lock(m_stateMutex);
    if (m_closing || m_runInProgress || m_requeryInProgress) {
        return false;
    }
    const std::size_t total = cells.size();
    m_pendingRequery = std::make_unique<RequeryRequest>(RequeryRequest{std::move(cells), m_entries, m_settings});
    if (requeryThread.activate() == 0) {
        m_pendingRequery.reset();
        return false;
    }
    m_requeryInProgress = true;
    m_progress = {RunState::Requerying, 0, total};
    m_sink.runStateChanged(m_progress);
    return true;
}

void QueryEngine::stopRequery() {
    requeryThread.deactivate();
    {
        std::lock_guard lock(m_stateMutex);
        cancelHostLookups();
    }
    m_clock.wake();
}

void QueryEngine::cancelHostLookups() {
    // The exchange under way finishes, but a host lookup it waits for could last seconds.
    for (QueryLane* lane : m_liveLanes) {
        lane->cancelHostLookup();
    }
}

void QueryEngine::setServerEntries(std::vector<ServerEntry> entries) {
    std::lock_guard lock(m_stateMutex);
    m_entries = std::move(entries);
}

void QueryEngine::setSettings(RunSettings settings) {
    std::lock_guard lock(m_stateMutex);
    m_settings = std::move(settings);
}

std::optional<ServerEntry> QueryEngine::FindServerEntry(std::string_view caption) const {
    std::lock_guard lock(m_stateMutex);
    if (const ServerEntry* entry = findEntry(m_entries, caption)) {
        return *entry;
    }
    return std::nullopt;
}

void QueryEngine::shutdown() {
    {
        std::lock_guard lock(m_stateMutex);
        m_closing = true;
        m_stopRequested.store(true);
        thread.deactivate();
        requeryThread.deactivate();
        for (QueryLane* lane : m_liveLanes) {
            lane->cancel();
        }
        if (m_liveDns != nullptr) {
            m_liveDns->interrupt();
        }
    }
    m_clock.wake();
    waitIdle();
}

void QueryEngine::cancelExchanges() {
    {
        std::lock_guard lock(m_stateMutex);
        for (QueryLane* lane : m_liveLanes) {
            lane->cancel();
        }
    }
    m_clock.wake();
}

RunProgress QueryEngine::progress() const {
    std::lock_guard lock(m_stateMutex);
    return m_progress;
}

bool QueryEngine::isRunActive() const {
    return thread.isActive();
}

bool QueryEngine::isBusy() const {
    std::lock_guard lock(m_stateMutex);
    return m_runInProgress || m_requeryInProgress;
}

void QueryEngine::waitIdle() {
    thread.waitIdle();
    requeryThread.waitIdle();
}

bool QueryEngine::runStopRequested(const WorkerState& worker) const {
    return m_stopRequested.load() || worker.deactivated.load();
}

std::unique_ptr<QueryLane> QueryEngine::makeLane(const RunSettings& settings, std::vector<ServerEntry> entries) {
    const LookupClients clients{m_makeClient, m_makeRdapClient,
                                ExchangeTimeLimits{settings.exchangeTimeout, settings.connectTimeout}, m_calibrate};
    auto lane =
        std::make_unique<QueryLane>(CellLookupSet(clients, entries), QueryLane::Context{settings, m_clock, m_paces});
    lane->entries = std::move(entries);
    std::lock_guard lock(m_stateMutex);
    m_liveLanes.push_back(lane.get());
    if (m_closing) {
        lane->cancel();
    }
    return lane;
}

void QueryEngine::releaseLane(QueryLane& lane) {
    std::lock_guard lock(m_stateMutex);
    std::erase(m_liveLanes, &lane);
}

void QueryEngine::publishState(RunState state, std::size_t done, std::size_t total) {
    m_progress.state = state;
    m_progress.done = done;
    m_progress.total = total;
    m_sink.runStateChanged(m_progress);
}

SearchCandidates QueryEngine::prepareNames(RunRequest& request) {
    SearchCandidates candidates =
        SearchCandidates::prepare(request.mode, request.patternText, std::move(request.names));
    m_droppedNames.store(candidates.dropped);
    m_undecodableNames.store(candidates.undecodable);
    {
        std::lock_guard lock(m_stateMutex);
        m_refusedNames = std::move(candidates.refused);
    }
    return candidates;
}

RefusedNames QueryEngine::refusedNames() const {
    std::lock_guard lock(m_stateMutex);
    return m_refusedNames;
}

void QueryEngine::threadRun(const WorkerState& worker) {
    std::lock_guard work(m_workMutex);
    try {
        std::unique_ptr<RunRequest> request;
        {
            std::lock_guard lock(m_stateMutex);
            // A worker stopped before it began may find a newer run's request here; that one is
            // left for its own worker.
            if (m_pendingRun && m_pendingRun->activation == worker.activation) {
                request = std::move(m_pendingRun);
            }
        }
        if (request) {
            // Emptied only now that any previous worker has reported its last cell.
            m_sink.rowsCleared();
            m_paces.clear();
            const SearchCandidates candidates = prepareNames(*request);
            const NameList& names = candidates.names;
            std::vector<std::vector<ServerEntry>> plan = planLanes(request->entries, request->settings.parallel);
            {
                std::lock_guard lock(m_stateMutex);
                if (runStopRequested(worker)) {
                    plan.clear();
                } else if (plan.empty()) {
                    // Nothing to ask: the walk would only count, so it ends where it would.
                    publishState(RunState::Running, names.size(), names.size());
                } else {
                    publishState(RunState::Running, 0, names.size());
                }
            }
            if (!plan.empty() && !names.empty()) {
                RunShared shared(candidates);
                shared.laneCount = plan.size();
                if (request->recall) {
                    shared.recall = &request->recall;
                }
                for (std::size_t i = 1; i < names.size(); ++i) {
                    if (trim(names[i]) == trim(names[i - 1])) {
                        shared.rowOf.resize(names.size());
                        for (std::size_t n = 1; n < names.size(); ++n) {
                            const bool same = trim(names[n]) == trim(names[n - 1]);
                            shared.rowOf[n] = shared.rowOf[n - 1] + (same ? 0 : 1);
                        }
                        break;
                    }
                }
                if (plan.size() > 1) {
                    shared.lanesDone = std::make_unique<std::atomic<std::uint16_t>[]>(names.size());
                }
                std::unique_ptr<DnsStage> dns;
                if (request->settings.dns) {
                    dns = std::make_unique<DnsStage>(request->settings, names, candidates.aLabels, runSuffixes(plan));
                    std::lock_guard lock(m_stateMutex);
                    m_liveDns = dns.get();
                    shared.dns = dns.get();
                }
                std::vector<std::function<void()>> jobs;
                for (std::vector<ServerEntry>& entries : plan) {
                    jobs.emplace_back([this, &shared, &worker, &request, entries = std::move(entries)]() mutable {
                        std::unique_ptr<QueryLane> lane = makeLane(request->settings, std::move(entries));
                        try {
                            walkLane(*lane, shared, worker);
                        } catch (...) {
                            releaseLane(*lane);
                            throw;
                        }
                        releaseLane(*lane);
                    });
                }
                const auto forgetDns = [this] {
                    std::lock_guard lock(m_stateMutex);
                    m_liveDns = nullptr;
                };
                try {
                    runTogether(std::move(jobs));
                } catch (...) {
                    forgetDns();
                    throw;
                }
                forgetDns();
            }
        }
    } catch (...) {
        runCleanUp(worker.activation);
        throw;
    }
    runCleanUp(worker.activation);
}

void QueryEngine::walkLane(QueryLane& lane, RunShared& shared, const WorkerState& worker) {
    const std::size_t count = shared.names.size();
    const bool lanesOn = shared.laneCount > 1;
    const auto stop = [this, &worker] { return runStopRequested(worker); };
    // When the lane last named its exchange on the status line; none after another announcement.
    std::optional<std::chrono::steady_clock::time_point> connectingShown;
    const auto announce = [this, &connectingShown](const std::string& text) {
        connectingShown.reset();
        m_sink.activityChanged(text);
    };
    // Appends the rows of every name up to this one that has none yet, in candidate order.
    const auto ensureRows = [this, &shared](std::size_t index) {
        // Mostly another lane, or this one, has made the row already: no need to queue for the lock.
        if (index < shared.publishedNames.load(std::memory_order_acquire)) {
            return;
        }
        std::lock_guard lock(shared.rowMutex);
        for (std::size_t next = shared.publishedNames.load(std::memory_order_relaxed); next <= index; ++next) {
            const std::size_t row = shared.row(next);
            if (row == shared.publishedRows) {
                m_sink.rowAppended({row, std::string(trim(shared.names[next]))});
                ++shared.publishedRows;
            }
            shared.publishedNames.store(next + 1, std::memory_order_release);
        }
    };
    // Each entry's suffix, converted at most once in the run.
    std::vector<AskedPart> suffixes;
    for (const ServerEntry& entry : lane.entries) {
        suffixes.push_back(AskedPart::suffix(trim(entry.caption)));
    }
    for (std::size_t index = 0; index < count && !stop(); ++index) {
        if (lanesOn) {
            // The first lane to reach a name makes its row, so rows stay in candidate order.
            ensureRows(index);
        } else {
            std::lock_guard lock(m_stateMutex);
            if (m_progress.state == RunState::Running) {
                publishState(RunState::Running, index + 1, count);
            }
        }
        const std::string_view listed = shared.names[index];
        const std::string name(trim(listed));
        AskedPart askedName =
            AskedPart::name(name, shared.aLabels.empty() ? std::string_view() : shared.aLabels[index]);
        if (shared.dns != nullptr) {
            shared.dns->feed(index);
        }
        bool complete = true;
        for (std::size_t column = 0; column < lane.entries.size(); ++column) {
            const ServerEntry& entry = lane.entries[column];
            if (stop()) {
                complete = false;
                break;
            }
            const std::string suffix(suffixes[column].written());
            if (shared.recall != nullptr) {
                if (std::optional<AnsweredCell> known = (*shared.recall)(name, entry)) {
                    ensureRows(index);
                    known->row = shared.row(index);
                    known->name = name;
                    known->suffix = suffix;
                    m_sink.cellAnswered(*known);
                    continue;
                }
            }
            if (shared.dns != nullptr) {
                std::optional<std::string> delegation =
                    shared.dns->await(index, *shared.dns->suffixIndex(suffix), stop);
                if (stop()) {
                    complete = false;
                    break;
                }
                if (delegation) {
                    ensureRows(index);
                    m_sink.cellAnswered(
                        {shared.row(index), name, suffix, Mark::Registered, std::move(*delegation), "dns", entry.host});
                    std::lock_guard lock(m_stateMutex);
                    ++m_progress.dnsSettled;
                    continue;
                }
            }
            if (!lane.waitTurn(entry.host, stop, announce)) {
                complete = false;
                break;
            }
            const auto now = std::chrono::steady_clock::now();
            if (!connectingShown || now - *connectingShown >= kConnectingLineGap) {
                m_sink.activityChanged(std::string(kConnectingPrefix) + joinQuery(listed, suffix));
                connectingShown = now;
            }
            const auto asked = std::chrono::steady_clock::now();
            CellOutcome outcome = askDomain(lane, entry, askedName, suffixes[column]);
            ensureRows(index);
            m_sink.cellAnswered({shared.row(index), name, suffix, outcome.mark, std::move(outcome.details),
                                 askedVia(entry, outcome), entry.host, AnswerOrigin::Asked, 0, sinceStart(asked)});
        }
        if (lanesOn && complete && shared.lanesDone[index].fetch_add(1) + 1u == shared.laneCount) {
            std::lock_guard lock(m_stateMutex);
            ++shared.namesDone;
            if (m_progress.state == RunState::Running) {
                publishState(RunState::Running, shared.namesDone, count);
            } else {
                m_progress.done = shared.namesDone;
            }
        }
    }
}

void QueryEngine::runCleanUp(std::uint64_t activation) {
    std::lock_guard lock(m_stateMutex);
    thread.deactivateWorker(activation);
    // A newer Search has already taken over the state; it is not this worker's.
    if (activation != m_latestRunActivation) {
        return;
    }
    m_runInProgress = false;
    publishState(RunState::Idle, m_progress.done, m_progress.total);
}

void QueryEngine::requeryThreadRun(const WorkerState& worker) {
    std::lock_guard work(m_workMutex);
    try {
        std::unique_ptr<RequeryRequest> request;
        {
            std::lock_guard lock(m_stateMutex);
            request = std::move(m_pendingRequery);
        }
        if (request) {
            const std::size_t total = request->cells.size();
            // The cells of each lane, in table order.
            std::vector<std::string> keys;
            std::vector<std::vector<RequeryCell>> lanes;
            for (RequeryCell& cell : request->cells) {
                const ServerEntry* entry = findEntry(request->entries, cell.suffix);
                // A column whose suffix has no server entry cannot be asked: it stays failed.
                std::string key;
                if (request->settings.parallel) {
                    key = entry == nullptr ? std::string("\n") : laneKey(entry->host);
                }
                addToLane(keys, lanes, key, std::move(cell));
            }
            std::vector<std::function<void()>> jobs;
            for (std::vector<RequeryCell>& cells : lanes) {
                jobs.emplace_back([this, &request, &worker, total, cells = std::move(cells)]() mutable {
                    std::unique_ptr<QueryLane> lane = makeLane(request->settings, request->entries);
                    try {
                        requeryLane(*lane, std::move(cells), total, worker);
                    } catch (...) {
                        releaseLane(*lane);
                        throw;
                    }
                    releaseLane(*lane);
                });
            }
            runTogether(std::move(jobs));
        }
    } catch (...) {
        requeryCleanUp(worker.activation);
        throw;
    }
    requeryCleanUp(worker.activation);
}

void QueryEngine::requeryLane(QueryLane& lane, std::vector<RequeryCell> cells, std::size_t total,
                              const WorkerState& worker) {
    const auto stop = [&worker] { return worker.deactivated.load(); };
    const auto announce = [this](const std::string& text) { m_sink.activityChanged(text); };
    for (RequeryCell& cell : cells) {
        if (stop()) {
            break;
        }
        const std::string query = joinQuery(cell.name, cell.suffix);
        CellOutcome outcome{Mark::Failed, "no server entry for this suffix", false};
        std::string via;
        std::string server;
        std::chrono::milliseconds elapsed{0};
        if (const ServerEntry* entry = findEntry(lane.entries, cell.suffix)) {
            server = entry->host;
            if (!lane.waitTurn(entry->host, stop, announce)) {
                break;
            }
            m_sink.activityChanged(query);
            const auto asked = std::chrono::steady_clock::now();
            AskedPart name = AskedPart::name(cell.name);
            AskedPart suffix = AskedPart::suffix(cell.suffix);
            outcome = askDomain(lane, *entry, name, suffix);
            via = askedVia(*entry, outcome);
            elapsed = sinceStart(asked);
        } else {
            m_sink.activityChanged(query);
        }
        m_sink.cellAnswered({cell.row, std::move(cell.name), std::move(cell.suffix), outcome.mark,
                             std::move(outcome.details), std::move(via), std::move(server), AnswerOrigin::Asked, 0,
                             elapsed});
        std::lock_guard lock(m_stateMutex);
        if (m_progress.state == RunState::Requerying) {
            publishState(RunState::Requerying, m_progress.done + 1, total);
        }
    }
}

void QueryEngine::requeryCleanUp(std::uint64_t activation) {
    std::lock_guard lock(m_stateMutex);
    requeryThread.deactivateWorker(activation);
    m_requeryInProgress = false;
    publishState(RunState::Idle, m_progress.done, m_progress.total);
}

void QueryEngine::reportWorkerError(const std::string& message) {
    if (m_reportError) {
        m_reportError(message);
    } else {
        std::cerr << message << '\n';
    }
}

} // namespace cvt
