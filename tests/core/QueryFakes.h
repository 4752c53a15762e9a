#pragma once

// Scripted stand-ins for the query engine's collaborators, shared by the engine suites. Every fake
// is thread-safe: the engine calls it from its workers while the test reads it.

#include "core/QueryControls.h"
#include "core/ResultTable.h"
#include "core/WhoisLookup.h"

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cvt::test {

// A WHOIS exchange that answers from a script: a reply per query, a failure per query, and one
// query that can be held inside the exchange until the test releases it.
class ScriptedWhois : public WhoisLookup {
public:
    struct Call {
        std::string server;
        std::string query;
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
        std::unique_lock lock(m_mutex);
        m_calls.push_back({serverField, query});
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
    std::string m_defaultReply;
    std::optional<std::string> m_holdQuery;
    bool m_holding = false;
    bool m_released = false;
    bool m_cancelled = false;
    std::vector<Call> m_calls;
    int m_closes = 0;
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

// Records every control change as a short text ("search=1", "status1=3/26", "select=2", ...).
class RecordingControls : public QueryControls {
public:
    void setStatusText(int panel, const std::string& text) override {
        record("status" + std::to_string(panel) + "=" + text);
    }
    void setSearchEnabled(bool enabled) override { record(flag("search", enabled)); }
    void setStopEnabled(bool enabled) override { record(flag("stop", enabled)); }
    void setBusyAnimation(bool playing) override { record(flag("busy", playing)); }
    void setServerTableEnabled(bool enabled) override { record(flag("servers", enabled)); }
    void setModeGroupEnabled(bool enabled) override { record(flag("modes", enabled)); }
    void setPopupItemsEnabled(bool enabled) override { record(flag("popup", enabled)); }
    void selectAndShowRow(std::size_t row) override { record("select=" + std::to_string(row)); }
    void restorePatternMode() override { record("patternMode"); }
    void enableSearchIfPatternPresent() override { record("searchIfPattern"); }

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
    void clear() {
        std::lock_guard lock(m_mutex);
        m_events.clear();
    }

private:
    static std::string flag(const char* name, bool on) { return std::string(name) + (on ? "=1" : "=0"); }
    void record(std::string event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }

    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};

// Keeps a copy of a ResultTable built only from the listener's reports, as a window's mirror does.
class MirrorListener : public ResultTableListener {
public:
    void start(ResultTableSnapshot initial) { m_mirror = std::move(initial); }
    const ResultTableSnapshot& mirror() const { return m_mirror; }

    void columnAppended(const std::string& caption) override { m_mirror.captions.push_back(caption); }
    void columnRemoved(std::size_t column) override {
        m_mirror.captions.erase(m_mirror.captions.begin() + static_cast<std::ptrdiff_t>(column));
        for (ResultRow& row : m_mirror.rows) {
            if (row.cells.size() >= column) {
                row.cells.erase(row.cells.begin() + static_cast<std::ptrdiff_t>(column - 1));
            }
        }
    }
    void columnCaptionChanged(std::size_t column, const std::string& caption) override {
        m_mirror.captions.at(column) = caption;
    }
    void rowAppended(const ResultRow& row) override { m_mirror.rows.push_back(row); }
    void rowsRemoved(const std::vector<std::size_t>& rows) override {
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            m_mirror.rows.erase(m_mirror.rows.begin() + static_cast<std::ptrdiff_t>(*it));
        }
    }
    void rowsCleared() override { m_mirror.rows.clear(); }
    void rowCaptionChanged(std::size_t row, const std::string& caption) override {
        m_mirror.rows.at(row).caption = caption;
    }
    void cellChanged(std::size_t row, std::size_t cell, const std::string& mark) override {
        std::vector<std::string>& cells = m_mirror.rows.at(row).cells;
        if (cells.size() <= cell) {
            cells.resize(cell + 1);
        }
        cells[cell] = mark;
    }

private:
    ResultTableSnapshot m_mirror;
};

} // namespace cvt::test

#include "core/QueryEngine.h"

namespace cvt::test {

inline ServerEntry entry(std::string caption, std::string host, std::string mark, bool ticked = true,
                         std::string refusal = {}) {
    return ServerEntry{std::move(caption), std::move(host), std::move(mark), std::move(refusal), ticked};
}

// An engine wired to scripted collaborators; Controls may be a RecordingControls with a fault built in.
template <class Controls = RecordingControls>
struct EngineRigWith {
    ResultTable table{"Domain Name"};
    Controls controls;
    ScriptedWhois whois;
    std::mutex errorMutex;
    std::vector<std::string> errors;
    QueryEngine engine{QueryEngineDeps{table, controls, whois, [this](const std::string& message) {
                                           std::lock_guard lock(errorMutex);
                                           errors.push_back(message);
                                       }}};

    SearchOutcome searchPattern(const std::string& pattern) {
        SearchRequest request;
        request.patternText = pattern;
        request.languageCode = "en";
        return engine.btnSearchClick(std::move(request));
    }
    SearchOutcome searchWords(const std::vector<std::string>& words) {
        SearchRequest request;
        request.mode = SearchMode::Text;
        request.words = NameList::fromRange(words);
        request.languageCode = "en";
        return engine.btnSearchClick(std::move(request));
    }
    // The rows as "caption:cell|cell|...".
    std::vector<std::string> rows() const {
        std::vector<std::string> result;
        for (const ResultRow& row : table.snapshot().rows) {
            std::string line = row.caption + ":";
            for (std::size_t i = 0; i < row.cells.size(); ++i) {
                line += (i == 0 ? "" : "|") + row.cells[i];
            }
            result.push_back(line);
        }
        return result;
    }
};
using EngineRig = EngineRigWith<>;

} // namespace cvt::test
