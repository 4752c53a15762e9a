#include "core/QueryEngine.h"

#include "core/Messages.h"
#include "core/PatternExpansion.h"
#include "core/QueryControls.h"
#include "core/ResultMarks.h"
#include "core/TextUtil.h"
#include "core/WhoisLookup.h"

#include <exception>
#include <iostream>
#include <set>
#include <utility>

namespace cvt {

namespace {

constexpr std::string_view kConnectingPrefix = "Connecting ";

std::string joinQuery(std::string_view name, std::string_view suffix) {
    std::string query;
    query.reserve(name.size() + 1 + suffix.size());
    query.append(name).append(".").append(suffix);
    return query;
}

std::string progressText(std::size_t current, std::size_t total) {
    return std::to_string(current) + "/" + std::to_string(total);
}

} // namespace

QueryEngine::QueryEngine(QueryEngineDeps deps)
    : m_table(deps.table), m_controls(deps.controls), m_whois(deps.whois), m_reportError(std::move(deps.reportError)),
      thread([this](const WorkerState& worker) { threadRun(worker); },
             [this](const std::string& message) { reportWorkerError(message); }),
      requeryThread([this](const WorkerState& worker) { requeryThreadRun(worker); },
                    [this](const std::string& message) { reportWorkerError(message); }) {}

QueryEngine::~QueryEngine() {
    shutdown();
}

SearchOutcome QueryEngine::btnSearchClick(SearchRequest request) {
    {
        std::lock_guard lock(m_stateMutex);
        if (m_closing || m_requeryInProgress || thread.isActive()) {
            return {SearchOutcome::Status::Busy, {}};
        }
    }
    if (request.mode == SearchMode::Pattern && trim(request.patternText).empty()) {
        return {SearchOutcome::Status::Refused, message(Msg::EmptyPattern, request.languageCode)};
    }
    std::vector<ServerEntry> entries;
    {
        std::lock_guard lock(m_stateMutex);
        entries = m_entries;
    }
    if (entries.empty()) {
        return {SearchOutcome::Status::Refused, message(Msg::NoWhoisServer, request.languageCode)};
    }

    NameList names;
    if (request.mode == SearchMode::Pattern) {
        try {
            names = PreparePatternCandidates(request.patternText);
        } catch (const PatternError& refusal) {
            return {SearchOutcome::Status::Refused, refusal.message(request.languageCode)};
        }
    } else {
        names = std::move(request.words);
    }
    // A line break or other control inside a name would reach the server as query lines of its own.
    // One look at all the bytes settles the usual case of a clean list.
    const std::size_t dropped = hasControlCharacter(names.bytes()) ? names.eraseIf(hasControlCharacter) : 0;
    // Stable, so the duplicates a word list may hold stay next to each other.
    names.sortIgnoreCase();
    const std::size_t count = names.size();

    std::lock_guard lock(m_stateMutex);
    // A stopping worker keeps its own deactivation, so clearing the flag cannot revive it.
    StopFlag.store(false);
    m_controls.setServerTableEnabled(false);
    m_controls.setModeGroupEnabled(false);
    m_controls.setPopupItemsEnabled(false);
    m_controls.setStatusText(1, progressText(0, count));
    m_controls.setStopEnabled(true);
    m_controls.setSearchEnabled(false);
    m_controls.setBusyAnimation(true);
    // The worker takes its request under m_stateMutex, so it cannot look before it is stored.
    const std::uint64_t activation = thread.activate();
    m_pendingRun = RunRequest{activation, std::move(names), std::move(entries)};
    m_latestRunActivation = activation;
    m_runInProgress = true;
    return {SearchOutcome::Status::Started, {}, dropped};
}

void QueryEngine::btnStopClick() {
    std::lock_guard lock(m_stateMutex);
    StopFlag.store(true);
    if (!thread.isActive()) {
        return;
    }
    thread.deactivate();
    if (m_closing) {
        return;
    }
    m_controls.setSearchEnabled(true);
    m_controls.setStopEnabled(false);
    m_controls.setBusyAnimation(false);
    m_controls.setServerTableEnabled(true);
    m_controls.setModeGroupEnabled(true);
}

bool QueryEngine::N2Click() {
    std::lock_guard lock(m_stateMutex);
    if (m_closing || m_runInProgress || m_requeryInProgress) {
        return false;
    }
    // Nothing else may change the table or the server table while the pass works on them.
    m_controls.setPopupItemsEnabled(false);
    m_controls.setSearchEnabled(false);
    m_controls.setServerTableEnabled(false);
    m_controls.setModeGroupEnabled(false);
    if (requeryThread.activate() == 0) {
        return false;
    }
    m_requeryInProgress = true;
    return true;
}

void QueryEngine::stopRequery() {
    requeryThread.deactivate();
}

void QueryEngine::lvWhoisChange(const std::vector<ServerEntry>& entries) {
    {
        std::lock_guard lock(m_stateMutex);
        m_entries = entries;
    }
    // A caption shared by several entries keeps its column while any of them is ticked.
    std::set<std::string, std::less<>> ticked;
    for (const ServerEntry& entry : entries) {
        if (entry.ticked) {
            ticked.emplace(trim(entry.caption));
        }
    }
    for (const ServerEntry& entry : entries) {
        const std::string caption(trim(entry.caption));
        if (!entry.ticked) {
            if (!ticked.contains(caption)) {
                m_table.RemoveSuffixColumn(caption);
            }
        } else if (m_table.SuffixColumn(caption) == -1) {
            m_table.appendColumn(caption);
        }
    }
}

std::optional<ServerEntry> QueryEngine::FindServerEntry(std::string_view caption) const {
    std::lock_guard lock(m_stateMutex);
    for (const ServerEntry& entry : m_entries) {
        if (trim(entry.caption) == caption) {
            return entry;
        }
    }
    return std::nullopt;
}

void QueryEngine::shutdown() {
    {
        std::lock_guard lock(m_stateMutex);
        m_closing = true;
        StopFlag.store(true);
        thread.deactivate();
        requeryThread.deactivate();
    }
    m_whois.cancel();
    waitIdle();
}

bool QueryEngine::isRunning() const {
    std::lock_guard lock(m_stateMutex);
    return m_runInProgress;
}

bool QueryEngine::isRunActive() const {
    return thread.isActive();
}

bool QueryEngine::isRequerying() const {
    std::lock_guard lock(m_stateMutex);
    return m_requeryInProgress;
}

void QueryEngine::waitIdle() {
    thread.waitIdle();
    requeryThread.waitIdle();
}

NameList QueryEngine::candidates() const {
    std::lock_guard lock(m_stateMutex);
    return Candidates;
}

bool QueryEngine::runStopRequested(const WorkerState& worker) const {
    return StopFlag.load() || worker.deactivated.load();
}

std::string QueryEngine::askServer(const std::string& hostField, const std::string& query) {
    try {
        return m_whois.lookup(hostField, query);
    } catch (const std::exception&) {
        // A failed exchange is a result, not an error: its mark is "-" and it can be asked again.
        m_whois.closeConnection();
        return std::string(kFailedExchangeReply);
    }
}

void QueryEngine::threadRun(const WorkerState& worker) {
    std::lock_guard work(m_workMutex);
    try {
        std::optional<RunRequest> request;
        {
            std::lock_guard lock(m_stateMutex);
            // A worker stopped before it began may find a newer run's request here; that one is
            // left for its own worker.
            if (m_pendingRun && m_pendingRun->activation == worker.activation) {
                request = std::move(m_pendingRun);
                m_pendingRun.reset();
                Candidates = std::move(request->names);
            }
        }
        if (request) {
            // Emptied only now that any previous worker has written its last cell.
            m_table.clearRows();
            walkCandidates(request->entries, worker);
        }
    } catch (...) {
        runCleanUp(worker.activation);
        throw;
    }
    runCleanUp(worker.activation);
}

void QueryEngine::walkCandidates(const std::vector<ServerEntry>& entries, const WorkerState& worker) {
    const std::size_t count = Candidates.size();
    bool anyTicked = false;
    for (const ServerEntry& entry : entries) {
        anyTicked = anyTicked || entry.ticked;
    }
    if (!anyTicked) {
        // Nothing to ask: the walk would only count, so show where it ends instead of queueing one
        // progress text per name.
        if (count > 0 && !runStopRequested(worker)) {
            m_controls.setStatusText(1, progressText(count, count));
        }
        return;
    }
    for (std::size_t index = 0; index < count && !runStopRequested(worker); ++index) {
        m_controls.setStatusText(1, progressText(index + 1, count));
        const std::string_view listed = Candidates[index];
        const std::string name(trim(listed));
        for (const ServerEntry& entry : entries) {
            if (runStopRequested(worker)) {
                break;
            }
            if (!entry.ticked) {
                continue;
            }
            const std::string suffix(trim(entry.caption));
            m_controls.setStatusText(0, std::string(kConnectingPrefix) + joinQuery(listed, suffix));
            const std::string reply = askServer(std::string(trim(entry.host)), joinQuery(name, suffix));
            const std::string mark(classifyReply(reply, entry.mark, entry.refusal));
            const PlacedMark placed = m_table.placeMark(name, suffix, mark);
            if (placed.rowAppended) {
                m_controls.selectAndShowRow(placed.row);
            }
        }
    }
}

void QueryEngine::runCleanUp(std::uint64_t activation) {
    std::lock_guard lock(m_stateMutex);
    thread.deactivateWorker(activation);
    // A newer Search has already set the controls for its own run; they are not this worker's.
    if (activation != m_latestRunActivation) {
        return;
    }
    m_runInProgress = false;
    if (m_closing) {
        return;
    }
    m_controls.setPopupItemsEnabled(true);
    m_controls.setStopEnabled(false);
    m_controls.setBusyAnimation(false);
    m_controls.setServerTableEnabled(true);
    m_controls.setModeGroupEnabled(true);
    m_controls.restorePatternMode();
    m_controls.enableSearchIfPatternPresent();
}

void QueryEngine::requeryThreadRun(const WorkerState& worker) {
    std::lock_guard work(m_workMutex);
    try {
        // Rows and columns are counted again for every row.
        for (std::size_t row = 0; row < m_table.rowCount() && !worker.deactivated.load(); ++row) {
            const ResultRow content = m_table.row(row);
            const std::size_t columns = m_table.columnCount();
            for (std::size_t column = 1; column < columns && !worker.deactivated.load(); ++column) {
                requeryCell(row, column, content);
            }
        }
    } catch (...) {
        requeryCleanUp(worker.activation);
        throw;
    }
    requeryCleanUp(worker.activation);
}

void QueryEngine::requeryCell(std::size_t row, std::size_t column, const ResultRow& content) {
    const std::size_t cell = column - 1;
    if (cell < content.cells.size() && !needsRequery(content.cells[cell])) {
        return;
    }
    const std::string& name = content.caption;
    const std::string suffix = m_table.columnCaption(column);
    const std::string query = joinQuery(name, suffix);
    m_controls.setStatusText(0, query);
    std::string mark(kMarkFailed);
    // A column whose suffix has no server entry cannot be asked: it stays failed.
    if (const std::optional<ServerEntry> entry = FindServerEntry(suffix)) {
        const std::string reply = askServer(std::string(trim(entry->host)), query);
        mark = classifyReply(reply, entry->mark, entry->refusal);
    }
    m_table.setCellChecked(row, column, name, suffix, mark);
}

void QueryEngine::requeryCleanUp(std::uint64_t activation) {
    std::lock_guard lock(m_stateMutex);
    requeryThread.deactivateWorker(activation);
    m_requeryInProgress = false;
    if (m_closing) {
        return;
    }
    m_controls.setPopupItemsEnabled(true);
    m_controls.setServerTableEnabled(true);
    m_controls.setModeGroupEnabled(true);
    m_controls.enableSearchIfPatternPresent();
}

void QueryEngine::reportWorkerError(const std::string& message) {
    if (m_reportError) {
        m_reportError(message);
    } else {
        std::cerr << message << '\n';
    }
}

} // namespace cvt
