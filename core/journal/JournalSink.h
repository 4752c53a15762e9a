#pragma once

#include "core/query/QueryEvents.h"

#include <atomic>

namespace cvt {

class JournalWriter;

// Tees the query engine's events: everything goes on to the front end's sink, and every answered
// cell (but those taken back from the same search) also to the journal's writer, when one is set.
class JournalSink : public QueryEventSink {
public:
    explicit JournalSink(QueryEventSink& front) : m_front(front) {}

    // Sets or clears the writer; only while no run is under way.
    void setWriter(JournalWriter* writer) { m_writer.store(writer); }

    void rowsCleared() override { m_front.rowsCleared(); }
    void rowAppended(const AppendedRow& row) override { m_front.rowAppended(row); }
    void cellAnswered(const AnsweredCell& cell) override;
    void runStateChanged(const RunProgress& progress) override;
    void activityChanged(const std::string& text) override { m_front.activityChanged(text); }

private:
    QueryEventSink& m_front;
    std::atomic<JournalWriter*> m_writer{nullptr};
};

} // namespace cvt
