#include "cli/CheckRun.h"

#include "core/journal/JournalRecall.h"
#include "core/query/NetWhoisLookup.h"
#include "core/query/ResultMarks.h"
#include "i18n/Messages.h"

#include <algorithm>

namespace cvt::cli {

CheckRun::CheckRun(CheckRunObserver& observer, const std::string& languageCode, CalibrateEntry calibrate)
    : m_observer(observer), m_table(message(Msg::DomainNameColumn, languageCode)),
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
        m_table.alignSuffixColumns(request.entries);
        captions = m_table.captions();
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
        for (std::size_t row = 0; row < m_finished.size(); ++row) {
            if (!m_finished[row]) {
                finishRow(row);
            }
        }
        m_requerying = m_retries > 0 && !m_interrupted.load();
    }
    for (int pass = 0; pass < m_retries && !m_interrupted.load(); ++pass) {
        std::vector<RequeryCell> requery;
        {
            std::lock_guard lock(m_mutex);
            requery = CellsToRequery(m_table);
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
        for (const std::size_t row : m_held) {
            m_observer.rowFinished(m_table.row(row));
        }
        m_held.clear();
        result.table = m_table.snapshot();
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
    m_table.clearRows();
    m_finished.clear();
    m_held.clear();
    m_runCells = 0;
}

void CheckRun::rowAppended(const AppendedRow& row) {
    std::lock_guard lock(m_mutex);
    m_table.appendRow(row.caption);
    m_finished.push_back(false);
}

void CheckRun::cellAnswered(const AnsweredCell& cell) {
    std::lock_guard lock(m_mutex);
    const int column = m_table.SuffixColumn(cell.suffix);
    if (column > 0) {
        // A re-query replaces a failed mark; a run may overwrite a mark of a shared column.
        count(m_table.cell(cell.row, static_cast<std::size_t>(column) - 1), -1);
    }
    if (m_table.writeAnswer(cell.row, cell.suffix, cell.mark, shownDetails(cell)) < 0) {
        return;
    }
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
    if (row >= m_finished.size() || m_finished[row]) {
        return;
    }
    const ResultRow& content = m_table.rows()[row];
    const std::size_t suffixColumns = m_table.columnCount() - 1;
    const bool complete =
        content.cells.size() >= suffixColumns &&
        std::none_of(content.cells.begin(), content.cells.begin() + static_cast<std::ptrdiff_t>(suffixColumns),
                     [](Mark mark) { return mark == Mark::Unasked; });
    if (!complete) {
        return;
    }
    if (m_retries > 0 &&
        std::any_of(content.cells.begin(), content.cells.end(), [](Mark mark) { return needsRequery(mark); })) {
        m_finished[row] = true;
        m_held.push_back(row);
        return;
    }
    finishRow(row);
}

void CheckRun::finishRow(std::size_t row) {
    m_finished[row] = true;
    m_observer.rowFinished(m_table.row(row));
}

void CheckRun::count(Mark mark, int step) {
    std::size_t* counter = nullptr;
    switch (mark) {
    case Mark::Free:
        counter = &m_progress.free;
        break;
    case Mark::Registered:
        counter = &m_progress.registered;
        break;
    case Mark::Failed:
        counter = &m_progress.failed;
        break;
    case Mark::Unasked:
        return;
    }
    *counter += static_cast<std::size_t>(step);
}

} // namespace cvt::cli
