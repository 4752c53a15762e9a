#pragma once

#include "core/query/QueryEvents.h"
#include "core/query/ServerEntry.h"

#include <QAbstractTableModel>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace cvt {

// The lane view: one row per server a run asks, with what it is doing, the cells it answered and
// the refusals it met. Built from the events the window receives: the ticked entries say which
// server answers for which suffix, the answered cells count (a "refused" reason is a refusal) and
// the activity texts tell which server is asked or waited for and how long.
class LaneTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class State { Idle, Asking, WaitingForPace, BackingOff, Calibrating, Done };
    struct Lane {
        std::string server; // as the entries name it
        std::vector<std::string> suffixes;
        State state = State::Idle;
        // When the wait shown ends.
        std::chrono::steady_clock::time_point waitUntil{};
        std::size_t answered = 0;
        std::size_t refusals = 0;
        bool lastRefused = false;
    };
    using Clock = std::chrono::steady_clock;

    explicit LaneTableModel(QObject* parent = nullptr);

    void setLanguage(const std::string& code);
    // A run begins on these entries (only the ticked ones are asked): every lane idle, nothing
    // counted. oneAtATime: the run asks the servers in turn rather than all at once.
    void startRun(const std::vector<ServerEntry>& entries, bool oneAtATime);
    // The number of names the run asks (known once it runs); each lane has that many cells per
    // suffix to ask.
    void setNamesTotal(std::size_t names);
    void applyCells(const std::vector<AnsweredCell>& cells);
    void applyActivity(const std::string& text, Clock::time_point now);
    // The run ended: a lane with every cell answered is done, any other idle.
    void finishRun();
    // Counts the waits down; true while a lane still waits.
    bool tick(Clock::time_point now);

    const std::vector<Lane>& lanes() const { return m_lanes; }
    // Cells answered and cells to ask, over every lane.
    std::size_t cellsAnswered() const;
    std::size_t cellsToAsk() const;
    // The first lane backing off after a refusal, if any.
    const Lane* backingOff() const;
    // The whole seconds left of the lane's wait (0 when it is over).
    static long long secondsLeft(const Lane& lane, Clock::time_point now);
    // "waiting 12 s for pace" and the like, in the language set.
    QString stateText(const Lane& lane, Clock::time_point now) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Lane* laneOfServer(std::string_view server);
    Lane* laneOfSuffix(std::string_view suffix);
    // The lane whose suffix ends the query "name.suffix" (the longest such suffix).
    Lane* laneOfQuery(std::string_view query);
    void refreshRow(const Lane& lane);
    std::size_t cellsToAsk(const Lane& lane) const { return m_names * lane.suffixes.size(); }

    std::vector<Lane> m_lanes;
    std::size_t m_names = 0;
    bool m_oneAtATime = false;
    std::string m_language;
    Clock::time_point m_now{};
};

} // namespace cvt
