#pragma once

#include "core/QueryControls.h"
#include "core/ResultTable.h"

#include <QObject>
#include <cstddef>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

namespace cvt {

class ResultTableModel;

// Carries the query engine's control changes and the result table's change reports from any
// thread to the GUI thread. Each call is appended to one queue, in the order made, and returns at
// once; the GUI thread drains the queue in order, applying control changes to the window's own
// QueryControls (which act at once) and table changes to the mirror model. Consecutive new rows go
// into the model as one insertion, and a drain stops after a few milliseconds and goes on in a
// fresh event, so a flood of results never stalls the window.
class WindowAdapter : public QObject, public QueryControls, public ResultTableListener {
    Q_OBJECT
public:
    // Both objects live on the GUI thread (this adapter's thread) and must outlive the adapter.
    WindowAdapter(QueryControls& window, ResultTableModel& model, QObject* parent = nullptr);

    // QueryControls, from any thread.
    void setStatusText(int panel, const std::string& text) override;
    void setSearchEnabled(bool enabled) override;
    void setStopEnabled(bool enabled) override;
    void setBusyAnimation(bool playing) override;
    void setServerTableEnabled(bool enabled) override;
    void setModeGroupEnabled(bool enabled) override;
    void setPopupItemsEnabled(bool enabled) override;
    void selectAndShowRow(std::size_t row) override;
    void restorePatternMode() override;
    void enableSearchIfPatternPresent() override;

    // ResultTableListener, from any thread.
    void columnAppended(const std::string& caption) override;
    void columnRemoved(std::size_t column) override;
    void columnCaptionChanged(std::size_t column, const std::string& caption) override;
    void rowAppended(const ResultRow& row) override;
    void rowsRemoved(const std::vector<std::size_t>& rows) override;
    void rowsCleared() override;
    void rowCaptionChanged(std::size_t row, const std::string& caption) override;
    void cellChanged(std::size_t row, std::size_t cell, const std::string& mark) override;

    // GUI thread: applies everything queued so far, without a time limit (tests and closing).
    void flush();
    // Any thread: changes waiting for the GUI thread.
    std::size_t pendingCount() const;

private:
    enum class Switch { Search, Stop, ServerTable, ModeGroup, PopupItems };
    struct StatusText {
        int panel;
        std::string text;
    };
    struct Enable {
        Switch which;
        bool enabled;
    };
    struct Busy {
        bool playing;
    };
    struct SelectRow {
        std::size_t row;
    };
    struct RestorePattern {};
    struct EnableSearchIfPattern {};
    struct ColumnAppended {
        std::string caption;
    };
    struct ColumnRemoved {
        std::size_t column;
    };
    struct ColumnCaption {
        std::size_t column;
        std::string caption;
    };
    struct RowAppended {
        ResultRow row;
    };
    struct RowsRemoved {
        std::vector<std::size_t> rows;
    };
    struct RowsCleared {};
    struct RowCaption {
        std::size_t row;
        std::string caption;
    };
    struct CellChanged {
        std::size_t row;
        std::size_t cell;
        std::string mark;
    };
    using Change =
        std::variant<StatusText, Enable, Busy, SelectRow, RestorePattern, EnableSearchIfPattern, ColumnAppended,
                     ColumnRemoved, ColumnCaption, RowAppended, RowsRemoved, RowsCleared, RowCaption, CellChanged>;

    void post(Change change);
    void drain(bool timeLimited);
    void apply(Change& change);
    void flushRows();
    void flushCoalesced();

    QueryControls& m_window;
    ResultTableModel& m_model;

    mutable std::mutex m_mutex;
    std::vector<Change> m_queue;
    bool m_drainPosted = false;

    // GUI thread only: the drain's batch state.
    std::vector<Change> m_draining;
    std::size_t m_drainPos = 0;
    std::vector<ResultRow> m_newRows;
    bool m_haveSelect = false;
    std::size_t m_selectRow = 0;
    bool m_haveStatus[2] = {false, false};
    std::string m_statusText[2];
};

} // namespace cvt
