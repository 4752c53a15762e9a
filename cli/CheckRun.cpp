#include "cli/CheckRun.h"

#include "core/journal/JournalRecall.h"
#include "core/query/NetWhoisLookup.h"
#include "core/query/ResultMarks.h"
#include "i18n/Messages.h"

#include <algorithm>
#include <utility>

namespace cvt::cli {

CheckRun::CheckRun(CheckRunObserver& observer, const std::string& languageCode, CalibrateEntry calibrate)
    : m_observer(observer), m_columns(message(Msg::DomainNameColumn, languageCode)),
      m_engine({m_journalSink,
                [] { return std::make_unique<NetWhoisLookup>(); },
                nullptr,
                [this](const std::string& text) {
                    std::lock_guard lock(m_errorMutex);
                    m_errors.push_back(text);
                },
                {},
                std::move(calibrate)}) {}

CheckRun::~CheckRun() {
    m_engine.shutdown();
}

CheckRunResult CheckRun::run(CheckRunRequest request) {
    CheckRunResult result;
    std::vector<std::string> captions;
    {
        std::lock_guard lock(m_mutex);
        m_retries = request.retries;
        m_keepRow = std::move(request.keepRow);
        m_columns.alignSuffixColumns(request.entries);
        captions = m_columns.captions();
    }
    m_engine.setServerEntries(std::move(request.entries));
    m_engine.setSettings(std::move(request.settings));
    m_journalSink.setWriter(request.journal);
    // Told before the run starts: its first rows may finish before search returns.
    m_observer.runStarted(captions);
    m_running.store(true);
    const SearchOutcome outcome = m_engine.search(std::move(request.search));
    if (outcome.status != SearchOutcome::Status::Started) {
        m_running.store(false);
        m_journalSink.setWriter(nullptr);
        result.refusal = outcome.refusal;
        return result;
    }
    // A Ctrl-C that came before the run existed is applied now.
    if (m_interrupted.load()) {
        m_engine.stop();
    }
    m_engine.waitIdle();
    if (const std::size_t dropped = m_engine.droppedNames(); dropped > 0) {
        m_observer.note("corvantide-cli check: left out " + std::to_string(dropped) +
                        " names holding control characters");
    }
    if (const std::size_t undecodable = m_engine.undecodableNames(); undecodable > 0) {
        m_observer.note("corvantide-cli check: left out " + std::to_string(undecodable) +
                        " names that are neither UTF-8 nor GBK");
    }
    if (const RefusedNames refused = m_engine.refusedNames(); refused.count > 0) {
        m_observer.note("corvantide-cli check: left out " + refused.describe());
    }

    {
        std::lock_guard lock(m_mutex);
        // Rows a stopped run left incomplete are as complete as they will get.
        if (m_interrupted.load()) {
            m_retries = 0;
        }
        for (std::size_t row = m_firstOpen; row < m_firstOpen + m_open.size(); ++row) {
            if (openRow(row) != nullptr) {
                settle(row);
            }
        }
        m_requerying = m_retries > 0;
    }
    for (int pass = 0; pass < m_retries && !m_interrupted.load(); ++pass) {
        std::vector<RequeryCell> requery;
        {
            std::lock_guard lock(m_mutex);
            for (const auto& [row, content] : m_held) {
                AddCellsToRequery(row, content, m_columns.captions(), requery);
            }
        }
        if (requery.empty() || !m_engine.requery(std::move(requery))) {
            break;
        }
        if (m_interrupted.load()) {
            m_engine.stopRequery();
        }
        m_engine.waitIdle();
    }
    {
        std::lock_guard lock(m_mutex);
        for (auto& [row, content] : std::exchange(m_held, {})) {
            finishRow(row, std::move(content));
        }
        std::sort(m_kept.begin(), m_kept.end(),
                  [](const auto& left, const auto& right) { return left.first < right.first; });
        result.table.captions = m_columns.captions();
        result.table.rows.reserve(m_kept.size());
        for (auto& [row, content] : std::exchange(m_kept, {})) {
            result.table.rows.push_back(std::move(content));
        }
        result.rows = m_firstOpen + m_open.size();
        result.marks = m_progress.marks;
        result.dns = m_runProgress.dns;
        result.dnsSettled = m_runProgress.dnsSettled;
        result.runCells = m_runCells;
    }
    m_engine.shutdown();
    m_journalSink.setWriter(nullptr);
    m_running.store(false);

    std::lock_guard lock(m_errorMutex);
    result.errors = m_errors;
    return result;
}

void CheckRun::interrupt(int count) {
    m_interrupted.store(true);
    if (!m_running.load()) {
        return;
    }
    if (count == 1) {
        m_engine.stop();
        m_engine.stopRequery();
        m_observer.note("corvantide-cli check: stopping after the exchange under way (Ctrl-C again to abandon it)");
    } else {
        m_engine.cancelExchanges();
    }
}

void CheckRun::rowsCleared() {
    std::lock_guard lock(m_mutex);
    m_open.clear();
    m_firstOpen = 0;
    m_held.clear();
    m_kept.clear();
    m_runCells = 0;
}

void CheckRun::rowAppended(const AppendedRow& row) {
    std::lock_guard lock(m_mutex);
    m_open.push_back({ResultRow{row.caption, std::vector<Mark>(m_columns.columnCount() - 1, Mark::Unasked)}});
}

ResultRow* CheckRun::openRow(std::size_t row) {
    if (row >= m_firstOpen && row - m_firstOpen < m_open.size()) {
        OpenRow& open = m_open[row - m_firstOpen];
        return open.finished ? nullptr : &open.content;
    }
    const auto held = m_held.find(row);
    return held == m_held.end() ? nullptr : &held->second;
}

void CheckRun::cellAnswered(const AnsweredCell& cell) {
    std::lock_guard lock(m_mutex);
    const int column = m_columns.SuffixColumn(cell.suffix);
    ResultRow* row = openRow(cell.row);
    if (column <= 0 || row == nullptr) {
        return;
    }
    const auto cellIndex = static_cast<std::size_t>(column) - 1;
    // A re-query replaces a failed mark; a run may overwrite a mark of a shared column.
    count(cellIndex < row->cells.size() ? row->cells[cellIndex] : Mark::Unasked, -1);
    row->setCell(cellIndex, cell.mark, shownDetails(cell));
    count(cell.mark, 1);
    m_observer.cellAnswered(cell);
    m_observer.progressChanged(m_progress);
    if (!m_requerying) {
        ++m_runCells;
        finishIfComplete(cell.row);
    }
}

void CheckRun::runStateChanged(const RunProgress& progress) {
    std::lock_guard lock(m_mutex);
    if (progress.state != RunState::Requerying && !m_requerying) {
        m_runProgress = progress;
    }
    if (progress.state != RunState::Running) {
        return;
    }
    m_progress.names = progress.total;
    m_progress.namesDone = progress.done;
    m_observer.progressChanged(m_progress);
}

void CheckRun::finishIfComplete(std::size_t row) {
    const ResultRow* content = row >= m_firstOpen ? openRow(row) : nullptr;
    if (content == nullptr || m_held.contains(row)) {
        return;
    }
    const std::size_t suffixColumns = m_columns.columnCount() - 1;
    const bool complete =
        content->cells.size() >= suffixColumns &&
        std::none_of(content->cells.begin(), content->cells.begin() + static_cast<std::ptrdiff_t>(suffixColumns),
                     [](Mark mark) { return mark == Mark::Unasked; });
    if (complete) {
        settle(row);
    }
}

void CheckRun::settle(std::size_t row) {
    OpenRow& open = m_open[row - m_firstOpen];
    ResultRow content = std::move(open.content);
    open = {{}, true};
    if (m_retries > 0 &&
        std::any_of(content.cells.begin(), content.cells.end(), [](Mark mark) { return needsRequery(mark); })) {
        m_held.emplace(row, std::move(content));
    } else {
        finishRow(row, std::move(content));
    }
    // The rows handed on at the front are let go.
    while (!m_open.empty() && m_open.front().finished) {
        m_open.pop_front();
        ++m_firstOpen;
    }
}

void CheckRun::finishRow(std::size_t row, ResultRow content) {
    m_observer.rowFinished(content);
    if (!m_keepRow || m_keepRow(content)) {
        m_kept.emplace_back(row, std::move(content));
    }
}

void CheckRun::count(Mark mark, int step) {
    m_progress.marks.add(mark, step);
}

} // namespace cvt::cli
