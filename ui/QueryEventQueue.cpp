#include "ui/QueryEventQueue.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <algorithm>
#include <optional>
#include <utility>

namespace cvt {

QueryEventQueue::QueryEventQueue(QObject* parent) : QObject(parent) {}

void QueryEventQueue::rowsCleared() {
    post(Cleared{});
}

void QueryEventQueue::rowAppended(const AppendedRow& row) {
    post(row);
}

void QueryEventQueue::cellAnswered(const AnsweredCell& cell) {
    post(cell);
}

void QueryEventQueue::runStateChanged(const RunProgress& progress) {
    post(progress);
}

void QueryEventQueue::activityChanged(const std::string& text) {
    post(Activity{text});
}

void QueryEventQueue::post(Event event) {
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(event));
    if (!m_drainPosted) {
        m_drainPosted = true;
        QMetaObject::invokeMethod(
            this, [this] { drain(true); }, Qt::QueuedConnection);
    }
}

void QueryEventQueue::flush() {
    drain(false);
}

void QueryEventQueue::drain(bool timeLimited) {
    constexpr std::size_t kSlice = 4096;
    constexpr qint64 kBudgetMs = 8;
    QElapsedTimer elapsed;
    elapsed.start();
    {
        std::lock_guard lock(m_mutex);
        m_drainPosted = false;
        if (!m_queue.empty()) {
            m_backlog.push_back(std::exchange(m_queue, {}));
        }
    }
    std::vector<AppendedRow> rows;
    std::vector<AnsweredCell> cells;
    const auto handOn = [&] {
        if (!rows.empty()) {
            Q_EMIT rowsAppended(rows);
            rows.clear();
        }
        if (!cells.empty()) {
            Q_EMIT cellsAnswered(cells);
            cells.clear();
        }
    };
    while (!m_backlog.empty()) {
        // Only the latest progress and activity of a slice matter; they follow its rows and cells.
        std::optional<RunProgress> state;
        std::vector<std::string> activities;
        for (std::size_t taken = 0; taken < kSlice && !m_backlog.empty(); ++taken) {
            if (m_backlogPos == m_backlog.front().size()) {
                m_backlog.pop_front();
                m_backlogPos = 0;
                continue;
            }
            Event& event = m_backlog.front()[m_backlogPos++];
            // A cell refers to a row appended before it, so all rows of a slice may go before its
            // cells; only the emptying of the table is a boundary.
            if (auto* row = std::get_if<AppendedRow>(&event)) {
                rows.push_back(std::move(*row));
            } else if (auto* cell = std::get_if<AnsweredCell>(&event)) {
                cells.push_back(std::move(*cell));
            } else if (const auto* progress = std::get_if<RunProgress>(&event)) {
                // Progress within one state is coalesced; every change of state is handed on.
                if (state && state->state != progress->state) {
                    handOn();
                    Q_EMIT runStateChangedSignal(*state);
                }
                state = *progress;
            } else if (auto* text = std::get_if<Activity>(&event)) {
                activities.push_back(std::move(text->text));
            } else {
                handOn();
                Q_EMIT rowsClearedSignal();
            }
        }
        handOn();
        if (!activities.empty()) {
            Q_EMIT activitiesSeen(activities);
            Q_EMIT activityChangedSignal(activities.back());
        }
        if (state) {
            Q_EMIT runStateChangedSignal(*state);
        }
        if (!m_backlog.empty() && m_backlogPos == m_backlog.front().size()) {
            m_backlog.pop_front();
            m_backlogPos = 0;
        }
        if (timeLimited && !m_backlog.empty() && elapsed.elapsed() >= kBudgetMs) {
            std::lock_guard lock(m_mutex);
            if (!m_drainPosted) {
                m_drainPosted = true;
                QMetaObject::invokeMethod(
                    this, [this] { drain(true); }, Qt::QueuedConnection);
            }
            return;
        }
    }
    m_backlogPos = 0;
}

} // namespace cvt
