#pragma once

#include "core/query/QueryEvents.h"

#include <QObject>
#include <deque>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

namespace cvt {

// The window's sink for the query engine's events. The engine calls it from any thread; each call
// is appended to one queue and returns at once. The GUI thread takes the whole queue in one queued
// call and hands it on as batched signals: its rows as one rowsAppended, then its cells as one
// cellsAnswered (a cell always refers to a row appended before it), then its activity texts (all of
// them, then the latest on its own)
// and run state (every change of state is handed on; only progress within a state is coalesced). So a flood of answers
// costs the window one update per batch.
class QueryEventQueue : public QObject, public QueryEventSink {
    Q_OBJECT
public:
    explicit QueryEventQueue(QObject* parent = nullptr);

    void rowsCleared() override;
    void rowAppended(const AppendedRow& row) override;
    void cellAnswered(const AnsweredCell& cell) override;
    void runStateChanged(const RunProgress& progress) override;
    void activityChanged(const std::string& text) override;

    // GUI thread: hands on everything queued so far, now.
    void flush();

Q_SIGNALS:
    void rowsClearedSignal();
    void rowsAppended(const std::vector<AppendedRow>& rows);
    void cellsAnswered(const std::vector<AnsweredCell>& cells);
    void runStateChangedSignal(const RunProgress& progress);
    void activityChangedSignal(const std::string& text);
    // Every activity text of a batch, in order (the lane view follows each server's waits), just
    // before activityChangedSignal hands on the latest.
    void activitiesSeen(const std::vector<std::string>& texts);

private:
    struct Cleared {};
    struct Activity {
        std::string text;
    };
    using Event = std::variant<Cleared, AppendedRow, AnsweredCell, RunProgress, Activity>;

    void post(Event event);
    // Hands on the queued events in slices; with a time limit, stops after the slice that used it
    // up and goes on in a fresh call, so the window keeps taking input during a flood.
    void drain(bool timeLimited);

    std::mutex m_mutex;
    std::vector<Event> m_queue;
    bool m_drainPosted = false;
    // GUI thread only: events taken from the queue but not yet handed on.
    // Batches taken from m_queue whole (never copied event by event, so a long backlog costs no
    // stall) and the position in the first one.
    std::deque<std::vector<Event>> m_backlog;
    std::size_t m_backlogPos = 0;
};

} // namespace cvt
