#pragma once

// Scripted stand-ins for the query engine's collaborators, shared by the engine suites. Every fake
// is thread-safe: the engine calls it from its workers while the test reads it.

#include "core/query/PaceClock.h"
#include "core/query/QueryEngine.h"
#include "core/query/QueryEvents.h"
#include "core/query/ResultTable.h"
#include "core/query/WhoisLookup.h"
#include "tests/support/MarkGlyphs.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace cvt::test {

// A WHOIS exchange that answers from a script: a reply per query, a failure per query, and one
// query that can be held inside the exchange until the test releases it.
class ScriptedWhois : public WhoisLookup {
public:
    struct Call {
        std::string server;
        std::string query;
        int client = 0; // which of the clients made by client() asked
        bool operator==(const Call&) const = default;
    };

    void setReply(const std::string& query, std::string reply) {
        std::lock_guard lock(m_mutex);
        m_replies[query] = std::move(reply);
    }
    void setDefaultReply(std::string reply) {
        std::lock_guard lock(m_mutex);
        m_defaultReply = std::move(reply);
    }
    void setFailure(const std::string& query) {
        std::lock_guard lock(m_mutex);
        m_failures[query] = true;
    }
    void clearFailure(const std::string& query) {
        std::lock_guard lock(m_mutex);
        m_failures.erase(query);
    }
    // The exchange of this query waits inside lookup() until release() (or cancel()).
    void hold(const std::string& query) {
        std::lock_guard lock(m_mutex);
        m_holdQuery = query;
        m_holding = false;
        m_released = false;
    }
    // Waits until the held query is inside its exchange.
    void waitUntilHeld() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_holding; });
    }
    void release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

    std::string lookup(const std::string& serverField, const std::string& query) override {
        return lookupAs(0, serverField, query);
    }
    std::string lookupAs(int client, const std::string& serverField, const std::string& query) {
        std::unique_lock lock(m_mutex);
        m_calls.push_back({serverField, query, client});
        if (m_holdQuery && *m_holdQuery == query) {
            m_holding = true;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_released || m_cancelled; });
            m_holdQuery.reset();
        }
        if (m_cancelled) {
            throw std::runtime_error("Operation cancelled.");
        }
        if (m_failures.contains(query)) {
            throw std::runtime_error("Socket Error # 10061\r\nConnection refused.");
        }
        const auto found = m_replies.find(query);
        return found != m_replies.end() ? found->second : m_defaultReply;
    }
    void closeConnection() override {
        std::lock_guard lock(m_mutex);
        ++m_closes;
    }
    void cancel() override {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_changed.notify_all();
    }

    // A client of its own for a lane, answering from this script; clients are numbered from 1.
    std::unique_ptr<WhoisLookup> client() {
        class Client : public WhoisLookup {
        public:
            Client(ScriptedWhois& script, int id) : m_script(script), m_id(id) {}
            std::string lookup(const std::string& server, const std::string& query) override {
                return m_script.lookupAs(m_id, server, query);
            }
            void closeConnection() override { m_script.closeConnection(); }
            void cancel() override { m_script.cancel(); }

        private:
            ScriptedWhois& m_script;
            int m_id;
        };
        std::lock_guard lock(m_mutex);
        return std::make_unique<Client>(*this, ++m_clients);
    }
    int clientsMade() const {
        std::lock_guard lock(m_mutex);
        return m_clients;
    }
    // The queries asked by the server, in order.
    std::vector<std::string> queriesOf(const std::string& server) const {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> result;
        for (const Call& call : m_calls) {
            if (call.server == server) {
                result.push_back(call.query);
            }
        }
        return result;
    }

    std::vector<Call> calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    // The queries asked, from the call numbered `from` on.
    std::vector<std::string> queries(std::size_t from = 0) const {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> result;
        for (std::size_t i = from; i < m_calls.size(); ++i) {
            result.push_back(m_calls[i].query);
        }
        return result;
    }
    int closes() const {
        std::lock_guard lock(m_mutex);
        return m_closes;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, std::string> m_replies;
    std::map<std::string, bool> m_failures;
    std::string m_defaultReply = "Domain Name: registered\r\n"; // an answer without the tests' marks
    std::optional<std::string> m_holdQuery;
    bool m_holding = false;
    bool m_released = false;
    bool m_cancelled = false;
    std::vector<Call> m_calls;
    int m_closes = 0;
    int m_clients = 0;
};

// A gate a thread can wait at until the test opens it; also tells the test when someone waits.
class Gate {
public:
    void wait() {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
    }
    void waitForWaiter() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_waiting > 0; });
    }
    void open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_waiting = 0;
    bool m_open = false;
};

// A clock that never waits: a pause moves its time on at once and is recorded. A pause while
// stop() holds ends at once without moving the time.
class FakeClock : public PaceClock {
public:
    TimePoint now() override {
        std::lock_guard lock(m_mutex);
        return m_now;
    }
    void sleepUntil(TimePoint deadline, const std::function<bool()>& stop) override {
        std::lock_guard lock(m_mutex);
        if (stop() || deadline <= m_now) {
            return;
        }
        m_sleeps.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - m_now).count());
        m_now = deadline;
    }
    void wake() override {}
    // Moves the time on, as an exchange that takes this long would.
    void advance(std::chrono::milliseconds by) {
        std::lock_guard lock(m_mutex);
        m_now += by;
    }
    std::vector<long long> sleepsMs() const {
        std::lock_guard lock(m_mutex);
        return m_sleeps;
    }

private:
    mutable std::mutex m_mutex;
    TimePoint m_now{};
    std::vector<long long> m_sleeps;
};

// Keeps the result table from the events, as the window and the command-line tool do, and records
// every event as a short text: "status0=Connecting ax.com" (activity), "status1=3/26" (progress
// of a run), "select=2" (a row appended), "cell=2 com ☆", "state=idle" (a change of state).
class RecordingSink : public QueryEventSink {
public:
    explicit RecordingSink(ResultTable& table) : m_table(table) {}

    void rowsCleared() override {
        std::lock_guard lock(m_mutex);
        m_table.clearRows();
        m_events.push_back("cleared");
    }
    void rowAppended(const AppendedRow& row) override {
        std::lock_guard lock(m_mutex);
        if (row.row != m_table.rowCount()) {
            m_events.push_back("ROW OUT OF ORDER " + std::to_string(row.row));
        }
        m_table.appendRow(row.caption);
        m_events.push_back("select=" + std::to_string(row.row));
    }
    void cellAnswered(const AnsweredCell& cell) override {
        std::lock_guard lock(m_mutex);
        if (cell.row >= m_table.rowCount()) {
            m_events.push_back("CELL BEFORE ITS ROW " + std::to_string(cell.row));
        }
        m_table.writeAnswer(cell.row, cell.suffix, cell.mark, cell.details);
        m_events.push_back("cell=" + std::to_string(cell.row) + " " + cell.suffix + " " +
                           std::string(markGlyph(cell.mark)));
        m_details.push_back(cell.details);
    }
    void runStateChanged(const RunProgress& progress) override {
        std::lock_guard lock(m_mutex);
        static const char* const kNames[] = {"idle", "preparing", "running", "stopping", "requerying"};
        const std::string name = kNames[static_cast<int>(progress.state)];
        if (progress.state == RunState::Running) {
            m_events.push_back("status1=" + std::to_string(progress.done) + "/" + std::to_string(progress.total));
        }
        if (name != m_lastState) {
            m_events.push_back("state=" + name);
            m_lastState = name;
        }
        m_progress = progress;
    }
    void activityChanged(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        m_events.push_back("status0=" + text);
    }

    std::vector<std::string> events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    // The events whose text starts with prefix, in order.
    std::vector<std::string> eventsStartingWith(const std::string& prefix) const {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> result;
        for (const std::string& event : m_events) {
            if (event.rfind(prefix, 0) == 0) {
                result.push_back(event);
            }
        }
        return result;
    }
    std::vector<std::string> details() const {
        std::lock_guard lock(m_mutex);
        return m_details;
    }
    RunProgress progress() const {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_events.clear();
    }

protected:
    mutable std::mutex m_mutex;

private:
    ResultTable& m_table;
    std::vector<std::string> m_events;
    std::vector<std::string> m_details;
    std::string m_lastState = "idle";
    RunProgress m_progress;
};

inline ServerEntry entry(std::string caption, std::string host, std::string mark, bool ticked = true,
                         std::string refusal = {}) {
    return ServerEntry{std::move(caption), std::move(host), std::move(mark), std::move(refusal), ticked};
}

// An engine wired to scripted collaborators: every lane gets its own client of one script, and the
// pace is kept by a fake clock. Sink may be a RecordingSink with a fault built in.
template <class Sink = RecordingSink>
struct EngineRigWith {
    ResultTable table{"Domain Name"};
    Sink sink{table};
    ScriptedWhois whois;
    FakeClock clock;
    std::mutex errorMutex;
    std::vector<std::string> errors;
    QueryEngine engine{QueryEngineDeps{sink, [this] { return whois.client(); }, &clock,
                                       [this](const std::string& message) {
                                           std::lock_guard lock(errorMutex);
                                           errors.push_back(message);
                                       }}};

    // The server table changed: the engine learns it and the table's columns follow the ticks.
    void setEntries(const std::vector<ServerEntry>& entries) {
        engine.setServerEntries(entries);
        table.alignSuffixColumns(entries);
    }
    void setSettings(RunSettings settings) { engine.setSettings(std::move(settings)); }
    bool requery() { return engine.requery(CellsToRequery(table)); }

    SearchOutcome searchPattern(const std::string& pattern) {
        SearchRequest request;
        request.patternText = pattern;
        return engine.search(std::move(request));
    }
    SearchOutcome searchWords(const std::vector<std::string>& words) {
        SearchRequest request;
        request.mode = SearchMode::Text;
        request.words = NameList::fromRange(words);
        return engine.search(std::move(request));
    }
    // The rows as "caption:cell|cell|...".
    std::vector<std::string> rows() const {
        std::vector<std::string> result;
        for (const ResultRow& row : table.rows()) {
            std::string line = row.caption + ":";
            for (std::size_t i = 0; i < row.cells.size(); ++i) {
                line += (i == 0 ? "" : "|") + std::string(markGlyph(row.cells[i]));
            }
            result.push_back(line);
        }
        return result;
    }
};
using EngineRig = EngineRigWith<>;

inline RunSettings lanesOn() {
    RunSettings settings;
    settings.parallel = true;
    return settings;
}

} // namespace cvt::test
