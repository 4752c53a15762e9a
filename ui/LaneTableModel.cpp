#include "ui/LaneTableModel.h"

#include "core/query/QueryLane.h"
#include "i18n/Messages.h"
#include "text/TextUtil.h"

#include <algorithm>
#include <charconv>

namespace cvt {

namespace {

// The activity texts of a run: the exchange started, and the wait before a server's next turn.
constexpr std::string_view kConnecting = "Connecting ";
constexpr std::string_view kWaitingFor = "Waiting for ";

// Whether two server fields share a lane: the engine's lanes are kept by laneKey.
bool sameServer(std::string_view a, std::string_view b) {
    return laneKey(a) == laneKey(b);
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

LaneTableModel::LaneTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void LaneTableModel::setLanguage(const std::string& code) {
    m_language = code;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (!m_lanes.empty()) {
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

void LaneTableModel::startRun(const std::vector<ServerEntry>& entries, bool oneAtATime) {
    beginResetModel();
    m_lanes.clear();
    m_names = 0;
    m_oneAtATime = oneAtATime;
    for (const ServerEntry& entry : entries) {
        if (!entry.ticked) {
            continue;
        }
        Lane* lane = laneOfServer(entry.host);
        if (lane == nullptr) {
            m_lanes.push_back(Lane{std::string(trim(entry.host)), {}});
            lane = &m_lanes.back();
        }
        lane->suffixes.emplace_back(trim(entry.caption));
    }
    endResetModel();
}

void LaneTableModel::setNamesTotal(std::size_t names) {
    m_names = names;
    if (!m_lanes.empty()) {
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

void LaneTableModel::applyCells(const std::vector<AnsweredCell>& cells) {
    for (const AnsweredCell& cell : cells) {
        Lane* lane = laneOfSuffix(cell.suffix);
        if (lane == nullptr) {
            continue;
        }
        ++lane->answered;
        lane->lastRefused = cell.details.starts_with("refused");
        lane->refusals += lane->lastRefused ? 1 : 0;
        // An answer ends any wait; the lane asks on until its cells are all answered.
        lane->state = m_names > 0 && lane->answered >= cellsToAsk(*lane) ? State::Done : State::Asking;
        refreshRow(*lane);
    }
}

void LaneTableModel::applyActivity(const std::string& text, Clock::time_point now) {
    m_now = now;
    const std::string_view activity(text);
    if (activity.starts_with(kConnecting)) {
        Lane* asked = laneOfQuery(activity.substr(kConnecting.size()));
        if (asked == nullptr) {
            return;
        }
        // Asking every server in turn, the others wait while this one is asked.
        for (Lane& lane : m_lanes) {
            if (m_oneAtATime && &lane != asked && lane.state == State::Asking) {
                lane.state = State::Idle;
                refreshRow(lane);
            }
        }
        asked->state = State::Asking;
        refreshRow(*asked);
        return;
    }
    if (!activity.starts_with(kWaitingFor)) {
        return;
    }
    // "Waiting for <server>: <seconds> s"
    const std::string_view rest = activity.substr(kWaitingFor.size());
    const std::size_t colon = rest.rfind(": ");
    if (colon == std::string_view::npos) {
        return;
    }
    Lane* lane = laneOfServer(rest.substr(0, colon));
    const std::string_view count = rest.substr(colon + 2);
    long long seconds = 0;
    if (lane == nullptr || std::from_chars(count.data(), count.data() + count.size(), seconds).ec != std::errc()) {
        return;
    }
    // A wait after a refusal is the lane's back-off; any other keeps the server's pace.
    lane->state = lane->lastRefused ? State::BackingOff : State::WaitingForPace;
    lane->waitUntil = now + std::chrono::seconds(seconds);
    refreshRow(*lane);
}

void LaneTableModel::finishRun() {
    for (Lane& lane : m_lanes) {
        lane.state = m_names > 0 && lane.answered >= cellsToAsk(lane) ? State::Done : State::Idle;
    }
    if (!m_lanes.empty()) {
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

bool LaneTableModel::tick(Clock::time_point now) {
    m_now = now;
    bool waiting = false;
    for (const Lane& lane : m_lanes) {
        if (lane.state == State::WaitingForPace || lane.state == State::BackingOff) {
            waiting = true;
            refreshRow(lane);
        }
    }
    return waiting;
}

std::size_t LaneTableModel::cellsAnswered() const {
    std::size_t answered = 0;
    for (const Lane& lane : m_lanes) {
        answered += lane.answered;
    }
    return answered;
}

std::size_t LaneTableModel::cellsToAsk() const {
    std::size_t cells = 0;
    for (const Lane& lane : m_lanes) {
        cells += cellsToAsk(lane);
    }
    return cells;
}

const LaneTableModel::Lane* LaneTableModel::backingOff() const {
    const auto found =
        std::find_if(m_lanes.begin(), m_lanes.end(), [](const Lane& lane) { return lane.state == State::BackingOff; });
    return found == m_lanes.end() ? nullptr : &*found;
}

long long LaneTableModel::secondsLeft(const Lane& lane, Clock::time_point now) {
    return std::max<long long>(0, std::chrono::ceil<std::chrono::seconds>(lane.waitUntil - now).count());
}

QString LaneTableModel::stateText(const Lane& lane, Clock::time_point now) const {
    const auto left = [&] { return std::to_string(secondsLeft(lane, now)); };
    switch (lane.state) {
    case State::Asking:
        return fromUtf8(message(Msg::LaneAsking, m_language));
    case State::WaitingForPace:
        return fromUtf8(formatMessage(Msg::LaneWaitingPace, m_language, {left()}));
    case State::BackingOff:
        return fromUtf8(formatMessage(Msg::LaneBackingOff, m_language, {left()}));
    case State::Calibrating:
        return fromUtf8(message(Msg::LaneCalibrating, m_language));
    case State::Done:
        return fromUtf8(message(Msg::LaneDone, m_language));
    case State::Idle:
        break;
    }
    return fromUtf8(message(Msg::LaneIdle, m_language));
}

int LaneTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_lanes.size());
}

int LaneTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant LaneTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) {
        return {};
    }
    const Lane& lane = m_lanes[static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case 0:
        return fromUtf8(lane.server);
    case 1:
        return stateText(lane, m_now);
    case 2:
        return m_names > 0 ? QStringLiteral("%1/%2").arg(lane.answered).arg(cellsToAsk(lane))
                           : QString::number(lane.answered);
    default:
        return QString::number(lane.refusals);
    }
}

QVariant LaneTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static constexpr Msg kColumns[4] = {Msg::LaneServerColumn, Msg::LaneStateColumn, Msg::LaneAnsweredColumn,
                                        Msg::LaneRefusalsColumn};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= 4) {
        return {};
    }
    return fromUtf8(message(kColumns[section], m_language));
}

LaneTableModel::Lane* LaneTableModel::laneOfServer(std::string_view server) {
    const auto found =
        std::find_if(m_lanes.begin(), m_lanes.end(), [&](const Lane& lane) { return sameServer(lane.server, server); });
    return found == m_lanes.end() ? nullptr : &*found;
}

LaneTableModel::Lane* LaneTableModel::laneOfSuffix(std::string_view suffix) {
    suffix = trim(suffix);
    for (Lane& lane : m_lanes) {
        if (std::find(lane.suffixes.begin(), lane.suffixes.end(), suffix) != lane.suffixes.end()) {
            return &lane;
        }
    }
    return nullptr;
}

LaneTableModel::Lane* LaneTableModel::laneOfQuery(std::string_view query) {
    query = trim(query);
    Lane* best = nullptr;
    std::size_t bestLength = 0;
    for (Lane& lane : m_lanes) {
        for (const std::string& suffix : lane.suffixes) {
            if (suffix.size() + 1 < query.size() && suffix.size() > bestLength && query.ends_with(suffix) &&
                query[query.size() - suffix.size() - 1] == '.') {
                best = &lane;
                bestLength = suffix.size();
            }
        }
    }
    return best;
}

void LaneTableModel::refreshRow(const Lane& lane) {
    const int row = static_cast<int>(&lane - m_lanes.data());
    Q_EMIT dataChanged(index(row, 1), index(row, 3), {Qt::DisplayRole});
}

} // namespace cvt
