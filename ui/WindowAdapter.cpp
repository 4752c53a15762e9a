#include "ui/WindowAdapter.h"

#include "ui/ResultTableModel.h"

#include <QElapsedTimer>
#include <QMetaObject>

namespace cvt {

namespace {
// How long one drain may hold the GUI thread before it lets other events in.
constexpr qint64 kDrainSliceMs = 6;
} // namespace

WindowAdapter::WindowAdapter(QueryControls& window, ResultTableModel& model, QObject* parent)
    : QObject(parent), m_window(window), m_model(model) {}

void WindowAdapter::post(Change change) {
    bool postDrain = false;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(change));
        if (!m_drainPosted) {
            m_drainPosted = true;
            postDrain = true;
        }
    }
    if (postDrain) {
        QMetaObject::invokeMethod(
            this, [this] { drain(true); }, Qt::QueuedConnection);
    }
}

std::size_t WindowAdapter::pendingCount() const {
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

void WindowAdapter::flush() {
    drain(false);
}

void WindowAdapter::drain(bool timeLimited) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (m_drainPos >= m_draining.size()) {
            m_draining.clear();
            m_drainPos = 0;
            std::lock_guard lock(m_mutex);
            if (m_queue.empty()) {
                m_drainPosted = false;
                break;
            }
            m_draining.swap(m_queue);
        }
        apply(m_draining[m_drainPos++]);
        if (timeLimited && (m_drainPos & 15) == 0 && clock.elapsed() >= kDrainSliceMs) {
            flushRows();
            flushCoalesced();
            // Not done: go on in a fresh event so input and painting get their turn.
            QMetaObject::invokeMethod(
                this, [this] { drain(true); }, Qt::QueuedConnection);
            return;
        }
    }
    flushRows();
    flushCoalesced();
}

void WindowAdapter::flushRows() {
    if (!m_newRows.empty()) {
        m_model.appendRows(std::move(m_newRows));
        m_newRows.clear();
    }
}

void WindowAdapter::flushCoalesced() {
    for (int panel = 0; panel < 2; ++panel) {
        if (m_haveStatus[panel]) {
            m_haveStatus[panel] = false;
            m_window.setStatusText(panel, m_statusText[panel]);
        }
    }
    if (m_haveSelect) {
        m_haveSelect = false;
        m_window.selectAndShowRow(m_selectRow);
    }
}

void WindowAdapter::apply(Change& change) {
    // New rows are gathered and inserted together; anything else that touches the table first
    // brings the model up to date. Status texts and the row to show are only ever overwritten, so
    // only the last of a batch is applied.
    if (auto* appended = std::get_if<RowAppended>(&change)) {
        m_newRows.push_back(std::move(appended->row));
        return;
    }
    if (auto* status = std::get_if<StatusText>(&change)) {
        const int panel = status->panel == 0 ? 0 : 1;
        if (status->panel == 0 || status->panel == 1) {
            m_haveStatus[panel] = true;
            m_statusText[panel] = std::move(status->text);
        }
        return;
    }
    if (auto* select = std::get_if<SelectRow>(&change)) {
        m_haveSelect = true;
        m_selectRow = select->row;
        return;
    }
    if (auto* cell = std::get_if<CellChanged>(&change)) {
        // A mark for a row still waiting to be inserted goes into that row directly.
        const auto modelRows = static_cast<std::size_t>(m_model.rowCount());
        if (!m_newRows.empty() && cell->row >= modelRows && cell->row - modelRows < m_newRows.size()) {
            std::vector<std::string>& cells = m_newRows[cell->row - modelRows].cells;
            if (cells.size() <= cell->cell) {
                cells.resize(cell->cell + 1);
            }
            cells[cell->cell] = std::move(cell->mark);
            return;
        }
    }
    flushRows();
    std::visit(
        [this](auto& c) {
            using T = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<T, Enable>) {
                switch (c.which) {
                case Switch::Search:
                    m_window.setSearchEnabled(c.enabled);
                    break;
                case Switch::Stop:
                    m_window.setStopEnabled(c.enabled);
                    break;
                case Switch::ServerTable:
                    m_window.setServerTableEnabled(c.enabled);
                    break;
                case Switch::ModeGroup:
                    m_window.setModeGroupEnabled(c.enabled);
                    break;
                case Switch::PopupItems:
                    m_window.setPopupItemsEnabled(c.enabled);
                    break;
                }
            } else if constexpr (std::is_same_v<T, Busy>) {
                m_window.setBusyAnimation(c.playing);
            } else if constexpr (std::is_same_v<T, RestorePattern>) {
                flushCoalesced();
                m_window.restorePatternMode();
            } else if constexpr (std::is_same_v<T, EnableSearchIfPattern>) {
                m_window.enableSearchIfPatternPresent();
            } else if constexpr (std::is_same_v<T, ColumnAppended>) {
                m_model.appendColumn(c.caption);
            } else if constexpr (std::is_same_v<T, ColumnRemoved>) {
                m_model.removeColumn(c.column);
            } else if constexpr (std::is_same_v<T, ColumnCaption>) {
                m_model.setColumnCaption(c.column, c.caption);
            } else if constexpr (std::is_same_v<T, RowsRemoved>) {
                m_haveSelect = false; // the row numbers it meant have moved
                m_model.removeRows(c.rows);
            } else if constexpr (std::is_same_v<T, RowsCleared>) {
                m_haveSelect = false;
                m_model.clearRows();
            } else if constexpr (std::is_same_v<T, RowCaption>) {
                m_model.setRowCaption(c.row, c.caption);
            } else if constexpr (std::is_same_v<T, CellChanged>) {
                m_model.setCell(c.row, c.cell, c.mark);
            }
        },
        change);
}

void WindowAdapter::setStatusText(int panel, const std::string& text) {
    post(StatusText{panel, text});
}
void WindowAdapter::setSearchEnabled(bool enabled) {
    post(Enable{Switch::Search, enabled});
}
void WindowAdapter::setStopEnabled(bool enabled) {
    post(Enable{Switch::Stop, enabled});
}
void WindowAdapter::setBusyAnimation(bool playing) {
    post(Busy{playing});
}
void WindowAdapter::setServerTableEnabled(bool enabled) {
    post(Enable{Switch::ServerTable, enabled});
}
void WindowAdapter::setModeGroupEnabled(bool enabled) {
    post(Enable{Switch::ModeGroup, enabled});
}
void WindowAdapter::setPopupItemsEnabled(bool enabled) {
    post(Enable{Switch::PopupItems, enabled});
}
void WindowAdapter::selectAndShowRow(std::size_t row) {
    post(SelectRow{row});
}
void WindowAdapter::restorePatternMode() {
    post(RestorePattern{});
}
void WindowAdapter::enableSearchIfPatternPresent() {
    post(EnableSearchIfPattern{});
}

void WindowAdapter::columnAppended(const std::string& caption) {
    post(ColumnAppended{caption});
}
void WindowAdapter::columnRemoved(std::size_t column) {
    post(ColumnRemoved{column});
}
void WindowAdapter::columnCaptionChanged(std::size_t column, const std::string& caption) {
    post(ColumnCaption{column, caption});
}
void WindowAdapter::rowAppended(const ResultRow& row) {
    post(RowAppended{row});
}
void WindowAdapter::rowsRemoved(const std::vector<std::size_t>& rows) {
    post(RowsRemoved{rows});
}
void WindowAdapter::rowsCleared() {
    post(RowsCleared{});
}
void WindowAdapter::rowCaptionChanged(std::size_t row, const std::string& caption) {
    post(RowCaption{row, caption});
}
void WindowAdapter::cellChanged(std::size_t row, std::size_t cell, const std::string& mark) {
    post(CellChanged{row, cell, mark});
}

} // namespace cvt
