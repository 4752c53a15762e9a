#include "ui/QueryEventQueue.h"

#include <QMetaObject>
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
        QMetaObject::invokeMethod(this, &QueryEventQueue::flush, Qt::QueuedConnection);
    }
}

void QueryEventQueue::flush() {
    std::vector<Event> events;
    {
        std::lock_guard lock(m_mutex);
        events.swap(m_queue);
        m_drainPosted = false;
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
    // Only the latest state and activity matter; they follow the rows and cells of the batch.
    const RunProgress* state = nullptr;
    const std::string* activity = nullptr;
    for (Event& event : events) {
        // A cell refers to a row appended before it, so all rows of a batch may go before its
        // cells; only the emptying of the table is a boundary.
        if (auto* row = std::get_if<AppendedRow>(&event)) {
            rows.push_back(std::move(*row));
        } else if (auto* cell = std::get_if<AnsweredCell>(&event)) {
            cells.push_back(std::move(*cell));
        } else if (const auto* progress = std::get_if<RunProgress>(&event)) {
            state = progress;
        } else if (const auto* text = std::get_if<Activity>(&event)) {
            activity = &text->text;
        } else {
            handOn();
            Q_EMIT rowsClearedSignal();
        }
    }
    handOn();
    if (activity != nullptr) {
        Q_EMIT activityChangedSignal(*activity);
    }
    if (state != nullptr) {
        Q_EMIT runStateChangedSignal(*state);
    }
}

} // namespace cvt
